#!/usr/bin/python3
"""Journey: start the simulator and the window, switch to offline mode from the File menu,
find a setting by its caption, then close the window as a person would."""

import sys

import vyr_e2e
from vyr_e2e import (Session, check, click, find, find_application, has_state, is_enabled,
                     read_text, run, wait_for)

TITLE = "Vyr Administration Software v2.2.6"


def journey(vyradmin, vyrsim):
    with Session() as session:
        _, window, port = session.start_on_simulator(vyradmin, [vyrsim])

        application = find_application("vyradmin")
        frame = find(application, "frame", TITLE)
        connect = find(frame, "toggle button", "Connect")
        check(is_enabled(connect), "the connect button is disabled")
        # The port given on the command line is offered and chosen.
        find(frame, "combo box", port)

        offline = find(frame, "check menu item", "Offline mode")
        check(is_enabled(offline), "File > Offline mode is disabled")
        check(not has_state(offline, "checked"), "offline mode is on at start")
        click(offline)
        wait_for(lambda: find(frame, "toggle button", "Offline mode", timeout=1),
                 "the connect button to read \"Offline mode\"")
        wait_for(lambda: has_state(offline, "checked"), "File > Offline mode to be ticked")
        check(not is_enabled(find(frame, "toggle button", "Offline mode")),
              "the connect button can still be used in offline mode")

        # Settings found by the captions beside them.
        find(frame, "spin button", "Manual microphone level adjustment (dB)")
        label = find(frame, "text", "Microphone label:")
        check(read_text(label) == "Station_ID",
              "the microphone label reads %r" % read_text(label))

        status = session.close_window(TITLE, window)
        check(status == 0, "vyradmin ended with status %d" % status)


if __name__ == "__main__":
    sys.exit(vyr_e2e.main(journey, __doc__))
