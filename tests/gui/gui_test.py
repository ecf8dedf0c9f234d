"""End-to-end tests of the window: the real program under a virtual X server, driven with
real mouse and key events. Usage: gui_test.py PATH_TO_SETUP"""

import difflib
import os
import sys
import unittest

import harness

PROGRAM = None
DISPLAY = None

SETTINGS = b"program_name Quorvane\nconfig_file game.conf\ntemp_file game.temp\ncolumns %d\n"

# Two groups, each with one live block and one commented block.
GAME = b"""<!--
#groups Video Sound
#cat Video low high
#cat Sound off on
#desc low Low detail
#desc high High detail
#set Video low
#set Sound on
#endheader -->
<!-- #low -->
<detail>1</detail>
<!-- #end -->
<!-- #high
<detail>3</detail>
#end -->
<!-- #off
<sound>no</sound>
#end -->
<!-- #on -->
<sound>yes</sound>
<!-- #end -->
"""

# The lines that switching Video from low to high, or Sound from on to off, rewrites.
VIDEO_LOW_TO_HIGH = [
    (b"#set Video low", b"#set Video high"),
    (b"<!-- #low -->\n<detail>1</detail>\n<!-- #end -->\n<!-- #high\n<detail>3</detail>\n#end -->",
     b"<!-- #low\n<detail>1</detail>\n#end -->\n<!-- #high -->\n<detail>3</detail>\n<!-- #end -->"),
]
SOUND_ON_TO_OFF = [
    (b"#set Sound on", b"#set Sound off"),
    (b"<!-- #off\n<sound>no</sound>\n#end -->\n<!-- #on -->\n<sound>yes</sound>\n<!-- #end -->",
     b"<!-- #off -->\n<sound>no</sound>\n<!-- #end -->\n<!-- #on\n<sound>yes</sound>\n#end -->"),
]


def switched(content, *changes):
    for before, after in changes:
        assert content.count(before) == 1
        content = content.replace(before, after)
    return content


VIDEO_HIGH = switched(GAME, *VIDEO_LOW_TO_HIGH)
SOUND_OFF = switched(GAME, *SOUND_ON_TO_OFF)


def header(groups):
    """A header of one "#groups" line and, per group, two choices and no setting."""
    lines = [b"#groups " + b" ".join(groups)]
    for group in groups:
        lines.append(b"#cat %s %s1 %s2" % (group, group, group))
    return b"\n".join(lines) + b"\n#endheader\n"


def group_name(group):
    return "group%d" % group


def choice_name(choice):
    return "choice%d" % choice


def description(choice):
    return "Settings for %s, described at some length" % choice_name(choice)


def current_choices(choices, last_current):
    """Per group of ten, its current choice: the first, except that the last group's is
    `last_current` when that is given."""
    current = list(range(0, choices, 10))
    if last_current >= 0:
        current[-1] = last_current
    return current


def large_game_file(choices, last_current=-1):
    """The game file of the in-process tests of large headers (tests/large_game_file.h):
    `choices` choices in groups of ten, each with a description and a block of its own,
    of which only the current choices' blocks are live."""
    header, blocks = [], []
    for group, current in enumerate(current_choices(choices, last_current)):
        members = range(group * 10, min(group * 10 + 10, choices))
        header.append("#groups %s\n#cat %s %s\n" % (
            group_name(group), group_name(group), " ".join(map(choice_name, members))))
        for choice in members:
            name, live = choice_name(choice), choice == current
            header.append("#desc %s %s\n" % (name, description(choice)))
            blocks.append("<!-- #%s -->\n" % name if live else "<!-- #%s\n" % name)
            blocks.append('  <option name="%s" level="1"/>\n' % name)
            blocks.append('  <option name="%s" level="2"/>\n' % name)
            blocks.append("<!-- #end -->\n" if live else "#end -->\n")
        header.append("#set %s %s\n" % (group_name(group), choice_name(current)))
    return ('<?xml version="1.0"?>\n<!--\n' + "".join(header) + "#endheader\n-->\n<config>\n" +
            "".join(blocks) + "</config>\n").encode()


def large_window_rows(choices, last_current=-1):
    """What the window of that file shows, ten groups to a row: each group's name and its
    current choice's description."""
    cells = [(group_name(group), description(current))
             for group, current in enumerate(current_choices(choices, last_current))]
    return [cells[row:row + 10] for row in range(0, len(cells), 10)]


def setUpModule():
    global DISPLAY
    DISPLAY = harness.VirtualDisplay()


def tearDownModule():
    DISPLAY.stop()


def text(content):
    """Bytes as text for a readable difference, without losing a byte."""
    return content.decode("utf-8", "surrogateescape")


class WindowCase(unittest.TestCase):
    """Starts the program in a throwaway installation, and cleans up after it."""

    def start(self, target=GAME, columns=3, settings=None, inherit_path=True):
        files = {"setup.config": settings if settings is not None else SETTINGS % columns,
                 "documentation/readme.txt": b"Read me.\n"}
        if target is not None:
            files["game.conf"] = target
        return self.launch(files, inherit_path)

    def launch(self, files, inherit_path=True):
        self.installation = harness.Installation(PROGRAM, files)
        self.addCleanup(self.installation.remove)
        self.session = harness.Session(self.installation, inherit_path)
        self.addCleanup(self.session.stop)
        return self.session

    def open(self, *args, **kwargs):
        return self.start(*args, **kwargs).wait_for_window()

    def assertFileBecomes(self, content, name="game.conf"):
        try:
            harness.wait_for("the rewrite", lambda: self.installation.read(name) == content)
        except AssertionError:
            pass  # the comparison below shows the difference
        written = self.installation.read(name)
        if written != content:
            # Only the lines that differ, and a few around them: a large file in full would
            # hide them.
            self.fail("%s is not as expected:\n%s" % (name, "".join(difflib.unified_diff(
                text(content).splitlines(True), text(written).splitlines(True),
                "expected", "written"))))

    def assertNothingWritten(self, original=GAME):
        self.assertEqual(text(self.installation.read("game.conf")), text(original))
        # Every pass begins by creating the temporary file.
        self.assertFalse(os.path.exists(self.installation.path("game.temp")))


class WindowLayoutTest(WindowCase):
    def test_title_names_the_program_as_data_and_falls_back_when_too_long(self):
        cases = [
            (b"Quorvane", "Program Configuration - Quorvane - Version 0.4.0"),
            (b"100% %s %n", "Program Configuration - 100% %s %n - Version 0.4.0"),
            (b"x" * 796, "Program Configuration - " + "x" * 796 + " - Version 0.4.0"),
            (b"x" * 797, "Quorvane Configurator"),
        ]
        for name, title in cases:
            with self.subTest(name=name[:20]):
                session = self.open(settings=b"program_name %s\nconfig_file game.conf\n" % name)
                self.assertEqual(session.title(), title)

    def test_notice_then_group_rows_then_the_two_buttons(self):
        session = self.open(header([b"A", b"B", b"C", b"D", b"E"]), columns=2)
        labels = [label.get_name() for label in session.find("label")]
        self.assertEqual(labels, [
            "Quorvane requires the latest drivers for your video card.\n"
            "If you run into problems please upgrade your video drivers.",
            "A", "B", "C", "D", "E"])
        self.assertEqual([button.get_name() for button in session.find("push button")],
                         ["Save Settings And View Readme", "Save Settings and Exit"])
        notice, buttons = session.find("label")[0], session.find("push button")
        self.assertLess(session.bottom(notice), session.top(session.combo("A")))
        self.assertLess(session.bottom(session.combo("E")), session.top(buttons[0]))
        self.assertLess(session.top(buttons[0]), session.top(buttons[1]))

    def test_rows_hold_the_configured_number_of_cells(self):
        five = [b"A", b"B", b"C", b"D", b"E"]
        cases = [
            (five, 2, [["A", "B"], ["C", "D"], ["E"]]),
            (five, 1, [["A"], ["B"], ["C"], ["D"], ["E"]]),
            (five, 5, [["A", "B", "C", "D", "E"]]),
            (five, 9, [["A", "B", "C", "D", "E"]]),
            (five, -1, [["A", "B", "C", "D", "E"]]),
            ([], 3, []),
        ]
        for groups, columns, rows in cases:
            with self.subTest(groups=len(groups), columns=columns):
                session = self.open(header(groups), columns=columns)
                self.assertEqual([[label for label, _ in row] for row in session.rows()], rows)

    def test_items_follow_the_header_and_the_current_choice_is_shown(self):
        session = self.open(b"""#groups Video Sound Input Net Lang
#cat Video low mid high
#cat Sound off on
#cat Input keys pad
#cat Net lan
#cat Video ultra
#desc mid Medium
#desc high
#set Video ultra
#set Sound none
#set Input joystick
#endheader
""")
        self.assertEqual(session.items("Video"), ["low", "Medium", "", "ultra"])
        # Without a choice named by the setting, no item is shown, so any can be picked.
        self.assertEqual(session.rows(), [[("Video", "ultra"), ("Sound", ""), ("Input", "")],
                                          [("Net", ""), ("Lang", "")]])
        self.assertEqual(session.items("Lang"), [])

    def test_opening_the_window_writes_nothing(self):
        session = self.open()
        self.assertEqual(session.rows(), [[("Video", "Low detail"), ("Sound", "on")]])
        session.sync()
        self.assertNothingWritten()


class PickTest(WindowCase):
    def test_pick_comments_the_old_blocks_and_makes_the_new_ones_live(self):
        session = self.open()
        session.pick("Video", 1)
        self.assertFileBecomes(VIDEO_HIGH)
        self.assertEqual(self.installation.read("game.temp"), VIDEO_HIGH)
        self.assertEqual(session.rows(), [[("Video", "High detail"), ("Sound", "on")]])
        session.pick("Sound", 0)
        self.assertFileBecomes(switched(VIDEO_HIGH, *SOUND_ON_TO_OFF))

    def test_picking_back_restores_the_file(self):
        session = self.open()
        session.pick("Video", 1)
        self.assertFileBecomes(VIDEO_HIGH)
        session.pick("Video", 0)
        self.assertFileBecomes(GAME)

    def test_repicking_the_shown_choice_writes_nothing(self):
        session = self.open()
        session.pick("Video", 0)
        self.assertNothingWritten()

    def test_mouse_wheel_over_a_drop_down_changes_nothing(self):
        session = self.open()
        for button in (5, 4, 5):
            session.click(session.combo("Video"), button)
        # Events are handled in order: once the pick below is written, the wheel was too.
        session.pick("Sound", 0)
        self.assertFileBecomes(SOUND_OFF)
        self.assertEqual(session.rows(), [[("Video", "Low detail"), ("Sound", "off")]])

    def test_group_without_current_choice_gets_only_the_new_choice_enabled(self):
        # As a disable pass leaves it: the set line names none, every block is commented.
        game = switched(GAME, (b"#set Sound on", b"#set Sound none"),
                        (b"<!-- #on -->\n<sound>yes</sound>\n<!-- #end -->",
                         b"<!-- #on\n<sound>yes</sound>\n#end -->"))
        session = self.open(game)
        session.pick("Sound", 1)
        self.assertFileBecomes(GAME)
        # The first item can be picked too, as nothing is shown.
        self.assertEqual(session.rows(), [[("Video", "Low detail"), ("Sound", "on")]])

    def test_choice_names_shared_by_groups_switch_only_the_picked_group(self):
        game = b"#groups Left Right\n#cat Left a b\n#cat Right a b\n#set Left a\n#set Right b\n"
        session = self.open(game)
        session.pick("Right", 1)
        self.assertNothingWritten(game)
        session.pick("Right", 0)
        self.assertFileBecomes(game.replace(b"#set Right b", b"#set Right a"))

    def test_bytes_that_are_not_utf8_are_shown_repaired_and_kept_in_the_file(self):
        game = (b"#groups Vid\xe9o\n#cat Vid\xe9o l\xf6w hi\xff\n#desc hi\xff Tr\xe8s haut\n"
                b"#set Vid\xe9o l\xf6w\n#endheader\n<!-- #l\xf6w -->\nx\n<!-- #end -->\n"
                b"<!-- #hi\xff\ny\n#end -->\n")
        session = self.open(game, settings=b"program_name Qu\xe9bec\nconfig_file game.conf\n")
        self.assertEqual(session.title(), "Program Configuration - Qu\ufffdbec - Version 0.4.0")
        self.assertEqual(session.rows(), [[("Vid\ufffdo", "l\ufffdw")]])
        self.assertEqual(session.items("Vid\ufffdo"), ["l\ufffdw", "Tr\ufffds haut"])
        session.pick("Vid\ufffdo", 1)
        self.assertFileBecomes(
            b"#groups Vid\xe9o\n#cat Vid\xe9o l\xf6w hi\xff\n#desc hi\xff Tr\xe8s haut\n"
            b"#set Vid\xe9o hi\xff\n#endheader\n<!-- #l\xf6w\nx\n#end -->\n"
            b"<!-- #hi\xff -->\ny\n<!-- #end -->\n")
        session.close()
        self.assertEqual(session.wait_exit(), 0)
        self.assertEqual(session.stderr_text(),
                         "Unable to find name of temporary file. Using default (config.temp)\n"
                         "Unable to find number of columns. Using default (3)\n")


class LargeHeaderTest(WindowCase):
    def test_every_group_gets_a_drop_down_and_a_pick_in_the_last_switches_only_its_blocks(self):
        # Ten drop-downs to a row make even the smallest window wider than the screen, so
        # every pick below moves the window to reach the last group. The largest window
        # takes about fifteen seconds to answer under the sanitizers, most of it before it
        # answers at all; it is not left out there, as it is where memory faults would be.
        for choices in (100, 1000, 10000):
            with self.subTest(choices=choices):
                session = self.open(large_game_file(choices), columns=10)
                self.assertEqual(session.rows(), large_window_rows(choices))
                self.assertEqual(len(session.find("combo box")), choices // 10)
                last_group = choices // 10 - 1
                picked = last_group * 10 + 1
                session.pick(group_name(last_group), 1)
                self.assertFileBecomes(large_game_file(choices, picked))
                self.assertEqual(session.rows(), large_window_rows(choices, picked))
                session.close()
                self.assertEqual(session.wait_exit(), 0)
                self.assertEqual(session.stderr_text(), "")


class ExitTest(WindowCase):
    def test_exit_button_ends_with_status_0_and_keeps_the_last_pick(self):
        session = self.open()
        session.pick("Video", 1)
        self.assertFileBecomes(VIDEO_HIGH)
        session.click(session.button("Save Settings and Exit"))
        self.assertEqual(session.wait_exit(), 0)
        self.assertEqual(text(self.installation.read("game.conf")), text(VIDEO_HIGH))
        self.assertEqual(session.stderr_text(), "")

    def test_closing_the_window_ends_with_status_0_and_writes_nothing(self):
        session = self.open()
        session.close()
        self.assertEqual(session.wait_exit(), 0)
        self.assertNothingWritten()
        self.assertEqual(session.stderr_text(), "")

    def test_readme_button_hands_the_process_to_the_pager_on_the_search_path(self):
        session = self.start()
        record = os.path.join(self.installation.root, "pager-record")
        pager = os.path.join(self.installation.bin, "less")
        self.installation.write(pager, b'#!/bin/sh\n{ printf "%%s\\n" "$@"; pwd; } > %s\n'
                                b"exit 7\n" % record.encode())
        os.chmod(pager, 0o755)
        session.wait_for_window()
        session.click(session.button("Save Settings And View Readme"))
        # The pager's status is the process's: the program was replaced, not forked.
        self.assertEqual(session.wait_exit(), 7)
        with open(record) as recorded:
            self.assertEqual(recorded.read(), "documentation/readme.txt\n%s\n" %
                             self.installation.work)
        self.assertNothingWritten()

    def test_readme_button_without_a_pager_ends_with_status_0(self):
        session = self.open(inherit_path=False)
        session.click(session.button("Save Settings And View Readme"))
        self.assertEqual(session.wait_exit(), 0)
        self.assertEqual(session.stderr_text(), "")


class ExampleTest(WindowCase):
    """The example installation that the demo opens."""

    EXAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples")

    def setUp(self):
        self.launch(harness.directory_files(self.EXAMPLE)).wait_for_window()
        self.original = self.installation.read("quorvane.xml")

    def test_window_shows_every_group_with_its_current_choice(self):
        self.assertEqual(self.session.title(), "Program Configuration - Quorvane - Version 0.4.0")
        self.assertEqual(self.session.rows(), [
            [("Resolution", "800 x 600"), ("Detail", "Medium detail"),
             ("Textures", "Compressed textures")],
            [("Sound", "Stereo speakers"), ("Controls", "Keyboard and mouse")]])

    def test_pick_switches_the_blocks_and_a_block_shared_with_the_new_choice_stays_live(self):
        self.session.pick("Sound", 2)
        expected = switched(
            self.original, (b"#set Sound stereo", b"#set Sound surround"),
            (b"<!-- #stereo -->\n    <channels>2</channels>\n<!-- #end -->",
             b"<!-- #stereo\n    <channels>2</channels>\n#end -->"),
            (b"<!-- #surround\n    <channels>6</channels>\n#end -->",
             b"<!-- #surround -->\n    <channels>6</channels>\n<!-- #end -->"))
        self.assertFileBecomes(expected, "quorvane.xml")

    def test_picking_back_restores_every_byte(self):
        self.session.pick("Detail", 2)
        self.session.pick("Resolution", 0)
        self.assertNotEqual(self.installation.read("quorvane.xml"), self.original)
        self.session.pick("Resolution", 1)
        self.session.pick("Detail", 1)
        self.assertFileBecomes(self.original, "quorvane.xml")


class StartTest(WindowCase):
    def test_settings_are_read_before_the_window_and_the_game_file_after_it(self):
        cases = [
            # No settings file: the end comes before the window.
            ({}, "Unable to read from setup.config\n", False),
            # No game file: the end comes once the window exists.
            ({"setup.config": SETTINGS % 3}, "Unable to read from game.conf\n", True),
        ]
        for files, message, window_made in cases:
            with self.subTest(message=message):
                creations = harness.WindowCreations()
                self.addCleanup(creations.close)
                session = self.launch(files)
                self.assertEqual(session.wait_exit(), 255)
                self.assertEqual(session.stderr_text(), message)
                self.assertEqual(creations.count() > 0, window_made)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
