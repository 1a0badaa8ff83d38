#!/usr/bin/python3
"""Journey: connect to the simulator, log in, load all settings, change one value, choose
"Send changes to device" and confirm it, and find exactly that value written on the device,
followed by the switch to the active preset."""

import os
import re
import sys
import time

import vyr_e2e
from vyr_e2e import (LOGIN_TITLE, Session, answer_message, check, click, find, find_application,
                     find_window, is_enabled, log_in, set_value, wait_for, wait_window_gone)

TITLE = "Vyr Administration Software v2.2.6"
LOAD_TITLE = "Loading settings from device"
SEND_TITLE = "Sending settings to device"
SEND_CHANGES = "Send changes to device"
LEVEL_CAPTION = "Manual microphone level adjustment (dB)"
LEVEL_KEY = "rec_mic_level"

WRITE = re.compile(r'^in\s+0 /chroma/settings/(\d+)/(\S+) text "(.*)"$')
SWITCH = re.compile(r"^in\s+17 SETPRESET ")


def writes(log):
    """The value files written (command 0), as (preset, key, value), in the frame log."""
    return [(int(m.group(1)), m.group(2), m.group(3))
            for m in map(WRITE.match, log.splitlines()) if m]


def switches(log):
    """The remote commands run (command 17: the preset switch) in the frame log."""
    return [line for line in log.splitlines() if SWITCH.match(line)]


def key(session, name):
    """Presses and releases one key on the program's display."""
    from Xlib import X, XK, display
    from Xlib.ext import xtest
    screen = display.Display(session.display)
    try:
        code = screen.keysym_to_keycode(XK.string_to_keysym(name))
        xtest.fake_input(screen, X.KeyPress, code)
        xtest.fake_input(screen, X.KeyRelease, code)
        screen.sync()
    finally:
        screen.close()


def choose_from_keyboard(session, frame, item):
    """Chooses a menu item as a person at the keyboard does: F10 opens the menu bar, the arrow
    keys reach the item, Return chooses it. An item whose command opens a modal message box
    must be chosen so: the accessibility bus's own action would wait inside that box's loop."""
    focus = find(frame, "toggle button", "Disconnect")
    wait_for(lambda: vyr_e2e.has_state(focus, "focused") or
             (focus.queryComponent().grabFocus() and False), "the window to have the focus")
    key(session, "F10")
    time.sleep(0.5)
    for _ in range(12):
        if vyr_e2e.has_state(item, "selected"):
            break
        key(session, "Down")
        time.sleep(0.3)
    wait_for(lambda: vyr_e2e.has_state(item, "selected"), "%r to be selected" % item.name, 5)
    key(session, "Return")


def journey(vyradmin, vyrsim):
    with Session() as session:
        frame_log = os.path.join(session.folder, "frames.log")
        _, window, _ = session.start_on_simulator(
            vyradmin, [vyrsim, "--log", frame_log])

        application = find_application("vyradmin")
        frame = find(application, "frame", TITLE)
        send_changes = find(frame, "menu item", SEND_CHANGES)
        check(not is_enabled(send_changes), "%r is usable before connecting" % SEND_CHANGES)
        click(find(frame, "toggle button", "Connect"))
        log_in(application, "superadmin", "vyr-superadmin")
        wait_window_gone(application, LOGIN_TITLE)
        find(frame, "toggle button", "Disconnect")
        check(not is_enabled(send_changes), "%r is usable before a load" % SEND_CHANGES)

        click(find(frame, "menu item", "Load settings from device"))
        wait_window_gone(application, LOAD_TITLE, timeout=120)
        check(not session.window_titled("Communication error"),
              "the load ended with a communication error")
        wait_for(lambda: is_enabled(send_changes), "%r to be usable after the load" % SEND_CHANGES)

        level = find(frame, "spin button", LEVEL_CAPTION)
        new = 31.0 if level.queryValue().currentValue != 31.0 else 32.0
        set_value(level, new)
        wait_for(lambda: level.queryValue().currentValue == new,
                 "the microphone level to read %g" % new)

        before = session.log_file(frame_log)
        choose_from_keyboard(session, frame, send_changes)
        answer_message(session, application, "Confirm action",
                       "This sends 1 value that differs from what the device holds.\n"
                       "Are you sure?", "Yes")
        wait_for(lambda: switches(session.log_file(frame_log)[len(before):]),
                 "the device to be switched to its active preset", timeout=60)
        wait_window_gone(application, SEND_TITLE, timeout=60)
        check(not session.window_titled("Communication error"),
              "the send ended with a communication error")
        log = session.log_file(frame_log)[len(before):]
        sent = writes(log)
        check(len(sent) == 1 and sent[0][1:] == (LEVEL_KEY, "%d" % new),
              "the device got %r, not only %s = %d" % (sent, LEVEL_KEY, new))
        check(len(switches(log)) == 1, "the preset was switched %d times" % len(switches(log)))

        status = session.close_window(TITLE, window)
        check(status == 0, "vyradmin ended with status %d" % status)


if __name__ == "__main__":
    sys.exit(vyr_e2e.main(journey, __doc__))
