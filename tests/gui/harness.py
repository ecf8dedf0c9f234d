"""Runs the real setup program in a virtual X server and drives it with real input events.

The X server (Xvfb) and a private session bus are started once per test process and
stopped by their pids. Input goes through xdotool; the widget tree (labels, drop-downs,
their positions and shown items) is read through the accessibility bus, which GTK joins
by itself when a session bus is there.
"""

import ctypes
import os
import shutil
import subprocess
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
# The accessibility library reads the bus address when first used, not when imported.
from gi.repository import Atspi  # noqa: E402

TIMEOUT = 20.0  # seconds; the machine is shared and can be slow

# A call waits while the program is busy, as it is for many seconds while it builds a
# window of a thousand drop-downs under the sanitizer. The library's own limits (under a
# second once a program has run for fifteen) would make such a call answer nothing, as
# if the window had no children.
CALL_TIMEOUT_MS = 60000
Atspi.set_timeout(CALL_TIMEOUT_MS, CALL_TIMEOUT_MS)

SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768


def wait_for(what, probe, timeout=TIMEOUT):
    """Polls `probe` until it returns something true, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.02)


class VirtualDisplay:
    """An Xvfb server on a free display number, and a session bus that knows it."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % (SCREEN_WIDTH, SCREEN_HEIGHT),
             "-noreset", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + number
        # The bus starts the accessibility services on demand, with this display.
        self.bus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.bus.stdout.readline().strip()

    def stop(self):
        for process in (self.bus, self.xvfb):
            process.terminate()
            process.wait()
        self.bus.stdout.close()


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True).stdout


def _xlib():
    """The few Xlib calls that xdotool does not offer, through ctypes."""
    x11 = ctypes.CDLL("libX11.so.6")
    display, window, atom = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong
    for name, result, arguments in [
            ("XOpenDisplay", display, [ctypes.c_char_p]),
            ("XDefaultRootWindow", window, [display]),
            ("XInternAtom", atom, [display, ctypes.c_char_p, ctypes.c_int]),
            ("XSendEvent", ctypes.c_int, [display, window, ctypes.c_int, ctypes.c_long,
                                          ctypes.c_void_p]),
            ("XSelectInput", ctypes.c_int, [display, window, ctypes.c_long]),
            ("XSync", ctypes.c_int, [display, ctypes.c_int]),
            ("XPending", ctypes.c_int, [display]),
            ("XNextEvent", ctypes.c_int, [display, ctypes.c_void_p]),
            ("XFlush", ctypes.c_int, [display]),
            ("XCloseDisplay", ctypes.c_int, [display])]:
        function = getattr(x11, name)
        function.restype, function.argtypes = result, arguments
    return x11


CLIENT_MESSAGE, CREATE_NOTIFY = 33, 16
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                ("padding", ctypes.c_long * 12)]  # an XEvent is 24 longs


def send_close_request(window):
    """Asks the window to close the way a window manager's close button does."""
    x11 = _xlib()
    display = x11.XOpenDisplay(None)
    event = ClientMessage(type=CLIENT_MESSAGE, window=window, format=32,
                          message_type=x11.XInternAtom(display, b"WM_PROTOCOLS", 0))
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


class WindowCreations:
    """Counts the top-level windows that any client creates on the display from now on,
    also those of a program that ends before it ever draws them."""

    def __init__(self):
        self.x11 = _xlib()
        self.display = self.x11.XOpenDisplay(None)
        root = self.x11.XDefaultRootWindow(self.display)
        self.x11.XSelectInput(self.display, root, SUBSTRUCTURE_NOTIFY_MASK)
        self.x11.XSync(self.display, 0)  # watching before this returns

    def count(self):
        self.x11.XSync(self.display, 0)
        event = ClientMessage()
        created = 0
        while self.x11.XPending(self.display):
            self.x11.XNextEvent(self.display, ctypes.byref(event))
            created += event.type == CREATE_NOTIFY
        return created

    def close(self):
        self.x11.XCloseDisplay(self.display)


class Installation:
    """A throwaway installation directory holding a link to the program, and a working
    directory of its own (named by "Version.txt") with the given files, so that no real
    home is touched. `files` maps names relative to the working directory to contents."""

    def __init__(self, program, files):
        self.root = tempfile.mkdtemp(prefix="setup-gui-")
        self.install = os.path.join(self.root, "install")
        self.work = os.path.join(self.root, "work")
        self.bin = os.path.join(self.root, "bin")
        for directory in (self.install, self.work, self.bin):
            os.mkdir(directory)
        os.symlink(os.path.abspath(program), os.path.join(self.install, "setup"))
        self.write(os.path.join(self.install, "Version.txt"), self.work.encode() + b"\n")
        for name, content in files.items():
            os.makedirs(os.path.dirname(self.path(name)), exist_ok=True)
            self.write(self.path(name), content)

    def path(self, name):
        return os.path.join(self.work, name)

    @staticmethod
    def write(path, content):
        with open(path, "wb") as out:
            out.write(content)

    def read(self, name):
        with open(self.path(name), "rb") as source:
            return source.read()

    def remove(self):
        shutil.rmtree(self.root)


def directory_files(directory):
    """The files under `directory` as Installation takes them, but its "Version.txt"."""
    files = {}
    for parent, _, names in os.walk(directory):
        for name in names:
            relative = os.path.relpath(os.path.join(parent, name), directory)
            if relative != "Version.txt":
                with open(os.path.join(parent, name), "rb") as source:
                    files[relative] = source.read()
    return files


def environment_for_program(path):
    env = dict(os.environ, PATH=path, GDK_BACKEND="x11")
    env.pop("WAYLAND_DISPLAY", None)
    # In the sanitizer build: GTK and the libraries under it keep much of what they
    # allocate until the process ends, by design, so the leak check would only report
    # them. The other options stay, and memory errors are still caught.
    env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"), "detect_leaks=0"]))
    return env


class Session:
    """One run of the program in the installation, from its start to its exit."""

    def __init__(self, installation, inherit_path=True):
        self.installation = installation
        self.stderr = tempfile.TemporaryFile()
        # The installation's own programs (a stand-in pager) come first on the search path.
        path = installation.bin + (":" + os.environ["PATH"] if inherit_path else "")
        self.process = subprocess.Popen(
            [os.path.join(installation.install, "setup")], cwd=installation.root,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self.stderr,
            env=environment_for_program(path))
        self.window = None
        self.app = None

    # ---- the process

    def wait_exit(self, timeout=TIMEOUT):
        return self.process.wait(timeout)

    def stderr_text(self):
        self.stderr.seek(0)
        return self.stderr.read().decode("utf-8", "replace")

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.stderr.close()

    # ---- the window

    def visible_windows(self):
        return xdotool("search", "--onlyvisible", "--pid", self.process.pid).split()

    def _windows_while_running(self):
        if self.process.poll() is not None:
            raise AssertionError("the program ended with status %d before its window was up:\n%s"
                                 % (self.process.returncode, self.stderr_text()))
        return self.visible_windows()

    def wait_for_window(self):
        """Waits until the window is up and its panel built, and gives it the focus."""
        windows = wait_for("the window", self._windows_while_running)
        self.window = int(windows[0])
        self.app = wait_for("the accessible application", self._find_application)
        wait_for("the exit buttons", lambda: self.find("push button"))
        xdotool("windowfocus", "--sync", self.window)
        return self

    def screenshot(self, path):
        subprocess.run(["import", "-window", str(self.window), path], check=True)

    def title(self):
        return xdotool("getwindowname", self.window).rstrip("\n")

    def close(self):
        send_close_request(self.window)

    def _find_application(self):
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(index)
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def find(self, role, root=None):
        """Every accessible of the role under `root` (the application), in tree order.
        The items of a drop-down are searched only when the walk starts at it: a window of
        a thousand drop-downs holds ten thousand items, and every step is a call across
        the bus."""
        found = []

        def walk(node, inside):
            node_role = node.get_role_name()
            if node_role == role:
                found.append(node)
            if inside or node_role != "combo box":
                for child in self._children(node):
                    walk(child, False)

        walk(root or self.app, True)
        return found

    def rows(self):
        """The boxes between the notice and the buttons, as rows of cells: (the group's
        label, the item its drop-down shows)."""
        main_box = self.app.get_child_at_index(0).get_child_at_index(0)
        children = self._children(main_box)
        return [[tuple(part.get_name() for part in self._children(cell))
                 for cell in self._children(row)] for row in children[1:-1]]

    @staticmethod
    def _children(accessible):
        return [accessible.get_child_at_index(index)
                for index in range(accessible.get_child_count())]

    def items(self, group):
        return [item.get_name() for item in self.find("menu item", self.combo(group))]

    def combo(self, group):
        for label in self.find("label"):
            if label.get_name() == group:
                for relation in label.get_relation_set():
                    return relation.get_target(0)
        raise AssertionError("no drop-down labelled " + group)

    @staticmethod
    def top(accessible):
        return accessible.get_extents(Atspi.CoordType.WINDOW).y

    @staticmethod
    def bottom(accessible):
        place = accessible.get_extents(Atspi.CoordType.WINDOW)
        return place.y + place.height

    def button(self, text):
        for button in self.find("push button"):
            if button.get_name() == text:
                return button
        raise AssertionError("no button " + text)

    # ---- input

    def click(self, accessible, button=1):
        x, y = self._middle_on_screen(accessible)
        xdotool("mousemove", x, y, "click", button)

    def _middle_on_screen(self, accessible):
        """The middle of the accessible, in screen coordinates. The window takes the size
        its contents ask for, also beyond the screen, and without a window manager
        nothing holds it in place: a middle off the screen is brought to the screen's
        middle by moving the window, as a user would drag it."""
        x, y = self._middle(accessible, Atspi.CoordType.SCREEN)
        if not (0 <= x < SCREEN_WIDTH and 0 <= y < SCREEN_HEIGHT):
            x, y = self._middle(accessible, Atspi.CoordType.WINDOW)
            xdotool("windowmove", "--sync", self.window,
                    SCREEN_WIDTH // 2 - x, SCREEN_HEIGHT // 2 - y)
            x, y = self._middle(accessible, Atspi.CoordType.SCREEN)
            if (x, y) != (SCREEN_WIDTH // 2, SCREEN_HEIGHT // 2):
                raise AssertionError("the window did not move to show " +
                                     accessible.get_name())
        return x, y

    @staticmethod
    def _middle(accessible, coordinates):
        place = accessible.get_extents(coordinates)
        return place.x + place.width // 2, place.y + place.height // 2

    def pick(self, group, index):
        """Opens the group's drop-down with the mouse and picks its item `index` from the
        keyboard."""
        baseline = len(self.visible_windows())
        self.click(self.combo(group))
        # Keys sent before the popup has its grab, or while a closing popup still holds
        # it, are lost.
        wait_for("the popup", lambda: len(self.visible_windows()) > baseline)
        xdotool("key", "Home", *["Down"] * index, "Return")
        wait_for("the popup to close", lambda: len(self.visible_windows()) == baseline)
        self.sync()

    def sync(self):
        """Returns once the program answers a request of its own (extents are never
        cached): a handler that was running when the call was made has returned."""
        self.app.get_child_at_index(0).get_extents(Atspi.CoordType.SCREEN)
