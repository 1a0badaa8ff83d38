"""Drives the built programs from outside, through the accessibility bus, as a person would.

A journey runs inside a session bus of its own (`run` starts one). `Session` starts a virtual display and the
accessibility bus of its own, starts the programs with their output in log files, and on the
way out stops everything it started. Every wait has a time-out, and the whole journey has a
deadline, so that a journey never hangs.
"""

import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TIMEOUT = 30.0  # seconds for one thing to appear; far above what it takes
POLL = 0.1
SKIP = 77  # exit status CTest reads as "skipped"

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class JourneyFailed(Exception):
    pass


def _missing(what):
    """Ends the journey: skipped when a tool is missing, failed under CI, where
    scripts/install-deps has installed them all."""
    print("missing: " + ", ".join(what) + " (scripts/install-deps installs them)")
    sys.exit(1 if os.environ.get("CI") == "true" else SKIP)


def _private_bus():
    """Runs this journey again inside a session bus of its own, unless it is in one."""
    if os.environ.get("VYR_E2E_PRIVATE_BUS") == "1":
        return
    if shutil.which("dbus-run-session") is None:
        _missing(["dbus-run-session"])
    os.environ["VYR_E2E_PRIVATE_BUS"] = "1"
    sys.stdout.flush()
    os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)


def require_tools():
    missing = [tool for tool in ("Xvfb", "dbus-send") if shutil.which(tool) is None]
    if not os.path.exists(BUS_LAUNCHER):
        missing.append(BUS_LAUNCHER)
    for module in ("pyatspi", "Xlib"):
        try:
            __import__(module)
        except ImportError:
            missing.append("python3 module " + module)
    if missing:
        _missing(missing)


def wait_for(condition, what, timeout=TIMEOUT):
    """Polls `condition` until it returns something true, which is returned."""
    end = time.monotonic() + timeout
    while True:
        try:
            result = condition()
        except Exception:  # an object that went away while it was being read
            result = None
        if result:
            return result
        if time.monotonic() > end:
            raise JourneyFailed("waited %.0f s for %s" % (timeout, what))
        time.sleep(POLL)


class Session:
    def __init__(self, deadline=150):
        self.folder = tempfile.mkdtemp(prefix="vyr-e2e-")
        self.processes = []  # (name, process), in start order
        self.display = None
        self._display_pipe = None
        self.deadline = deadline

    # -- the session's own display and accessibility bus ------------------------------

    def __enter__(self):
        def too_late(signum, frame):
            raise JourneyFailed("the journey took longer than %d s" % self.deadline)

        signal.signal(signal.SIGALRM, too_late)
        signal.alarm(self.deadline)
        try:
            self._start_display()
            self._start_bus()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def __exit__(self, kind, value, trace):
        signal.alarm(0)
        for name, process in reversed(self.processes):
            self._stop(process)
        if self._display_pipe is not None:
            os.close(self._display_pipe)
        if kind is not None:
            for name, _ in self.processes:
                print("---- %s log ----\n%s" % (name, self.log(name)), file=sys.stderr)
        shutil.rmtree(self.folder, ignore_errors=True)
        return False

    def _start_display(self):
        # The server writes its display number to the pipe once it takes clients. The pipe
        # stays open while the server runs: it may write again, and a closed pipe is fatal.
        reader, writer = os.pipe()
        self._display_pipe = reader
        # -noreset: the server would reset when its last client leaves, and refuse the next
        # one for a moment.
        self.start("Xvfb", ["Xvfb", "-displayfd", str(writer), "-nolisten", "tcp", "-noreset",
                            "-screen", "0", "1280x1024x24"], pass_fds=(writer,), display=False)
        os.close(writer)
        text = b""
        end = time.monotonic() + TIMEOUT
        while not text.endswith(b"\n") and time.monotonic() < end:
            ready, _, _ = select.select([reader], [], [], max(0.0, end - time.monotonic()))
            chunk = os.read(reader, 64) if ready else b""
            if not chunk:
                break
            text += chunk
        number = text.decode(errors="replace").strip()
        if not number.isdigit():
            raise JourneyFailed("the virtual display did not start")
        self.display = ":" + number
        os.environ["DISPLAY"] = self.display  # for the accessibility library of this process

    def _start_bus(self):
        self.start("at-spi-bus-launcher", [BUS_LAUNCHER, "--launch-immediately"])
        def registered():
            asked = subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                 "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                 "string:org.a11y.Bus"], capture_output=True, text=True, timeout=10)
            return asked.returncode == 0 and "boolean true" in asked.stdout
        wait_for(registered, "the accessibility bus")

    # -- programs ---------------------------------------------------------------------

    def start(self, name, argv, pass_fds=(), display=True):
        """Starts a program with its output in a log file and its own process group."""
        env = dict(os.environ)
        env.pop("NO_AT_BRIDGE", None)  # the bridge puts the program on the accessibility bus
        env["XDG_CONFIG_HOME"] = os.path.join(self.folder, "config")
        if display and self.display:
            env["DISPLAY"] = self.display
        with open(self._log_path(name), "wb") as log:
            process = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=log,
                                       stderr=subprocess.STDOUT, env=env, pass_fds=pass_fds,
                                       start_new_session=True)
        self.processes.append((name, process))
        return process

    def start_on_simulator(self, vyradmin, vyrsim_argv):
        """Starts vyrsim with `vyrsim_argv`, then vyradmin with the simulator's port first in
        its port list; returns both processes and the port."""
        simulator = self.start("vyrsim", vyrsim_argv)
        port = self.first_line("vyrsim")
        check(port.startswith("/dev/"), "vyrsim printed %r, not its port" % port)
        return simulator, self.start("vyradmin", [vyradmin, "--port", port]), port

    def _log_path(self, name):
        return os.path.join(self.folder, name + ".log")

    def log(self, name):
        try:
            with open(self._log_path(name), errors="replace") as log:
                return log.read()
        except OSError:
            return ""

    @staticmethod
    def log_file(path):
        """The text of a file a program writes, as far as it is written."""
        try:
            with open(path, errors="replace") as log:
                return log.read()
        except OSError:
            return ""

    def first_line(self, name):
        """The first line a program has written, once it is complete."""
        def line():
            text = self.log(name)
            return text.split("\n", 1)[0] if "\n" in text else None
        return wait_for(line, "the first line of " + name)

    @staticmethod
    def wait_exit(process, timeout=TIMEOUT):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise JourneyFailed("%s did not end within %.0f s" % (process.args[0], timeout))

    @staticmethod
    def _stop(process):
        if process.poll() is not None:
            return
        for sig, grace in ((signal.SIGTERM, 5), (signal.SIGKILL, 5)):
            try:
                os.killpg(process.pid, sig)
            except ProcessLookupError:
                return
            try:
                process.wait(timeout=grace)
                return
            except subprocess.TimeoutExpired:
                pass

    # -- the window as a person sees it -----------------------------------------------

    def _x_window(self, screen, title):
        """The mapped X window with this title, or None."""
        from Xlib import X

        def find(window):
            attributes = window.get_attributes()
            if window.get_wm_name() == title and attributes.map_state == X.IsViewable:
                return window
            for child in window.query_tree().children:
                found = find(child)
                if found:
                    return found
            return None
        return find(screen.screen().root)

    def window_titled(self, title):
        """Whether a window with this title is on the screen now. Message boxes carry their
        title only there: on the accessibility bus they are named by their kind."""
        from Xlib import display

        screen = display.Display(self.display)
        try:
            return self._x_window(screen, title) is not None
        finally:
            screen.close()

    def press(self, node):
        """Clicks a button from the keyboard: gives it the focus, then presses the space bar
        on the display. A button whose click opens a modal message box must be pressed so:
        the accessibility bus's own click would wait inside that box's loop."""
        from Xlib import X, XK, display
        from Xlib.ext import xtest

        # A dialog busy with the device keeps its buttons disabled until its answer is in.
        wait_for(lambda: is_enabled(node), "%r to be enabled" % node.name)

        def focused():
            return has_state(node, "focused") or (node.queryComponent().grabFocus() and False)
        wait_for(focused, "%r to have the focus" % node.name)
        screen = display.Display(self.display)
        try:
            code = screen.keysym_to_keycode(XK.XK_space)
            xtest.fake_input(screen, X.KeyPress, code)
            xtest.fake_input(screen, X.KeyRelease, code)
            screen.sync()
        finally:
            screen.close()

    def request_close(self, title):
        """Asks the window to close once, as its close button does (WM_DELETE_WINDOW)."""
        from Xlib import X, display, protocol

        screen = display.Display(self.display)
        try:
            protocols = screen.intern_atom("WM_PROTOCOLS")
            delete = screen.intern_atom("WM_DELETE_WINDOW")
            window = wait_for(lambda: self._x_window(screen, title), "the window " + title)
            event = protocol.event.ClientMessage(
                window=window, client_type=protocols,
                data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            window.send_event(event, event_mask=X.NoEventMask)
            screen.flush()
        finally:
            screen.close()

    def close_window(self, title, process, timeout=TIMEOUT):
        """Asks the window to close and waits for the program to end; returns its exit
        status. A request the program has not acted on after a few seconds is sent again, as
        a person clicks again."""
        end = time.monotonic() + timeout
        requests = 0
        while process.poll() is None and time.monotonic() < end:
            self.request_close(title)
            requests += 1
            try:
                process.wait(timeout=min(5.0, max(0.1, end - time.monotonic())))
            except subprocess.TimeoutExpired:
                pass
        if requests > 1:
            print("note: the window took %d close requests" % requests)
        return self.wait_exit(process, timeout=1)


# -- the accessibility tree -----------------------------------------------------------


def _registry():
    import pyatspi  # after the display and the bus are there
    return pyatspi


def find_application(name, timeout=TIMEOUT):
    pyatspi = _registry()

    def look():
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            application = desktop.getChildAtIndex(i)
            if application is not None and application.name == name:
                return application
        return None
    return wait_for(look, "the application %r on the accessibility bus" % name, timeout)


def _walk(root):
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        yield node
        for i in range(node.childCount - 1, -1, -1):
            stack.append(node.getChildAtIndex(i))


def find(root, role, name, timeout=TIMEOUT):
    """The first object below `root` (depth first) with this role name ("toggle button",
    "spin button", "check menu item", ...) and accessible name."""
    return find_where(root, role, lambda found: found == name, "named %r" % name, timeout)


def find_where(root, role, matches, what, timeout=TIMEOUT):
    """The first object below `root` with this role name whose accessible name passes
    `matches`; `what` describes the name for the time-out message."""
    def look():
        for node in _walk(root):
            if node.getRoleName() == role and matches(node.name):
                return node
        return None
    return wait_for(look, "a %s %s" % (role, what), timeout)


# Roles a dialog or message box has on the bus: without a window manager GTK reports most
# of them as frames.
WINDOW_ROLES = ("frame", "dialog", "alert")


def _showing_window(application, title):
    for i in range(application.childCount):
        window = application.getChildAtIndex(i)
        if (window is not None and window.getRoleName() in WINDOW_ROLES
                and window.name == title and has_state(window, "showing")):
            return window
    return None


def find_window(application, title, timeout=TIMEOUT):
    """A top-level window (the main window, a dialog, a message box) showing this title."""
    return wait_for(lambda: _showing_window(application, title), "the window %r" % title,
                    timeout)


def window_shown(application, title):
    return _showing_window(application, title) is not None


def wait_window_gone(application, title, timeout=TIMEOUT):
    wait_for(lambda: not window_shown(application, title),
             "the window %r to go away" % title, timeout)


def _message_box(application, text):
    for i in range(application.childCount):
        box = application.getChildAtIndex(i)
        if (box is not None and box.getRoleName() == "alert" and has_state(box, "showing")
                and any(node.getRoleName() == "label" and node.name == text
                        for node in _walk(box))):
            return box
    return None


def answer_message(session, application, title, text, button="OK", timeout=TIMEOUT):
    """Waits for the message box saying `text`, checks its title, and clicks `button`."""
    box = wait_for(lambda: _message_box(application, text),
                   "a message box saying %r" % text, timeout)
    check(session.window_titled(title), "the message box %r is not titled %r" % (text, title))
    click(find(box, "push button", button, timeout=5))
    wait_for(lambda: _message_box(application, text) is None,
             "the message box %r to go away" % text)


def has_state(node, state_name):
    pyatspi = _registry()
    return node.getState().contains(getattr(pyatspi, "STATE_" + state_name.upper()))


def is_enabled(node):
    return has_state(node, "enabled")


def click(node):
    """The object's first action: clicks a button, chooses a menu item."""
    action = node.queryAction()
    if action.nActions < 1 or not action.doAction(0):
        raise JourneyFailed("%s %r cannot be clicked" % (node.getRoleName(), node.name))


def set_value(node, value):
    """Sets a spin button or slider, as arrow keys or typing would."""
    node.queryValue().currentValue = value


def type_text(node, text):
    if not node.queryEditableText().setTextContents(text):
        raise JourneyFailed("%s %r takes no text" % (node.getRoleName(), node.name))


def read_text(node):
    return node.queryText().getText(0, -1)


def check(condition, message):
    if not condition:
        raise JourneyFailed(message)


def run(journey):
    """Runs a journey function inside a session bus of its own; prints its outcome and
    returns the exit status."""
    _private_bus()
    require_tools()
    try:
        journey()
    except JourneyFailed as failure:
        print("FAILED: %s" % failure)
        return 1
    print("PASSED")
    return 0


def main(journey, description):
    """The command line of a journey script: --vyradmin PATH --vyrsim PATH; runs
    journey(vyradmin, vyrsim) and returns the exit status."""
    import argparse
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--vyradmin", required=True)
    parser.add_argument("--vyrsim", required=True)
    options = parser.parse_args()
    return run(lambda: journey(options.vyradmin, options.vyrsim))


LOGIN_TITLE = "User Authentication"


def log_in(application, user, password):
    """Fills in the login dialog and presses OK; returns the dialog."""
    dialog = find_window(application, LOGIN_TITLE)
    type_text(find(dialog, "text", "Username:"), user)
    type_text(find(dialog, "password text", "Password:"), password)
    click(find(dialog, "push button", "OK"))
    return dialog
