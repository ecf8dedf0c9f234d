"""Takes a picture of the window on the example installation in a virtual X server.
Usage: screenshot.py PATH_TO_SETUP EXAMPLE_DIRECTORY OUTPUT_PNG"""

import sys

import harness


def main(program, example, output):
    display = harness.VirtualDisplay()
    installation = harness.Installation(program, harness.directory_files(example))
    session = harness.Session(installation)
    try:
        session.wait_for_window()
        session.screenshot(output)
    finally:
        session.stop()
        installation.remove()
        display.stop()


if __name__ == "__main__":
    main(*sys.argv[1:])
