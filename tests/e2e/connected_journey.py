#!/usr/bin/python3
"""Journey: connect to the simulator, refuse a wrong password, log in, see the device time,
load all settings with their progress dialog, change a value and send the edited preset,
find the value written on the device, then lose the device and see the window say so."""

import os
import re
import signal
import sys

import vyr_e2e
from vyr_e2e import (LOGIN_TITLE, Session, answer_message, check, click, find, find_application,
                     find_where, find_window, log_in, set_value, wait_for, wait_window_gone)

TITLE = "Vyr Administration Software v2.2.6"
LOAD_TITLE = "Loading settings from device"
SEND_TITLE = "Sending settings to device"
LEVEL_CAPTION = "Manual microphone level adjustment (dB)"
LEVEL_KEY = "rec_mic_level"
# The simulator answers after a few milliseconds, so that a load takes long enough to be seen.
LATENCY_MS = "2"


def written(log, key):
    """The values written to `key` of any preset (command 0: write file), as (preset, value),
    in the simulator's frame log."""
    pattern = re.compile(r'^in\s+0 /chroma/settings/(\d+)/%s text "(.*)"$' % re.escape(key))
    return [(int(m.group(1)), m.group(2)) for m in map(pattern.match, log.splitlines()) if m]


def journey(vyradmin, vyrsim):
    with Session() as session:
        frame_log = os.path.join(session.folder, "frames.log")
        simulator, window, _ = session.start_on_simulator(
            vyradmin, [vyrsim, "--log", frame_log, "--latency", LATENCY_MS])

        application = find_application("vyradmin")
        frame = find(application, "frame", TITLE)
        click(find(frame, "toggle button", "Connect"))

        # A wrong password is refused with a message; the dialog stays for another try.
        log_in(application, "superadmin", "not-the-password")
        answer_message(session, application, "Authentication error", "Wrong username or password!")
        log_in(application, "superadmin", "vyr-superadmin")
        wait_window_gone(application, LOGIN_TITLE)
        find(frame, "toggle button", "Disconnect")

        # The keep-alive reads the device's clock once a second.
        find_where(frame, "label", lambda name: name.startswith("Device time: "),
                   "starting with \"Device time: \"")

        click(find(frame, "menu item", "Load settings from device"))
        find_window(application, LOAD_TITLE)
        wait_window_gone(application, LOAD_TITLE, timeout=120)
        check(not session.window_titled("Communication error"),
              "the load ended with a communication error")
        loaded = written(session.log_file(frame_log), LEVEL_KEY)
        check(not loaded, "the load wrote %s: %r" % (LEVEL_KEY, loaded))

        level = find(frame, "spin button", LEVEL_CAPTION)
        old = level.queryValue().currentValue
        new = 31.0 if old != 31.0 else 32.0
        set_value(level, new)
        wait_for(lambda: level.queryValue().currentValue == new,
                 "the microphone level to read %g" % new)

        click(find(frame, "menu item", "Send single preset to device"))
        wait_for(lambda: written(session.log_file(frame_log), LEVEL_KEY),
                 "the simulator to receive %s" % LEVEL_KEY, timeout=120)
        wait_window_gone(application, SEND_TITLE, timeout=120)
        sent = written(session.log_file(frame_log), LEVEL_KEY)
        check(("%d" % new) in [value for _, value in sent],
              "the device got %s = %r, not %d" % (LEVEL_KEY, sent, new))

        # The device goes away: the keep-alive notices and says so once.
        os.killpg(simulator.pid, signal.SIGKILL)
        simulator.wait()
        answer_message(session, application, "Communication error", "Connection to device lost")
        find(frame, "toggle button", "Connect")

        status = session.close_window(TITLE, window)
        check(status == 0, "vyradmin ended with status %d" % status)


if __name__ == "__main__":
    sys.exit(vyr_e2e.main(journey, __doc__))
