#!/usr/bin/python3
"""Journey: connect to a slow simulator, log in, start "Load settings from device", and close
the window with its close button while the progress dialog shows: the load is cancelled and
the program ends within two seconds, although the device still answers."""

import sys
import time

import vyr_e2e
from vyr_e2e import (LOGIN_TITLE, Session, check, click, find, find_application, find_window,
                     log_in, wait_window_gone)

TITLE = "Vyr Administration Software v2.2.6"
LOAD_TITLE = "Loading settings from device"


def journey(vyradmin, vyrsim):
    with Session() as session:
        # 20 ms a reply: 860 values take over 17 seconds.
        _, window, _ = session.start_on_simulator(
            vyradmin, [vyrsim, "--latency", "20"])

        application = find_application("vyradmin")
        frame = find(application, "frame", TITLE)
        click(find(frame, "toggle button", "Connect"))
        log_in(application, "superadmin", "vyr-superadmin")
        wait_window_gone(application, LOGIN_TITLE)
        find(frame, "toggle button", "Disconnect")

        click(find(frame, "menu item", "Load settings from device"))
        find_window(application, LOAD_TITLE)
        time.sleep(1.0)  # the load well under way
        check(window.poll() is None, "vyradmin ended before it was closed")

        session.request_close(TITLE)
        asked = time.monotonic()
        try:
            status = window.wait(timeout=2.0)
        except Exception:
            status = None
        took = time.monotonic() - asked
        check(status is not None,
              "vyradmin still runs 2 s after its window was closed during a load")
        check(status == 0, "vyradmin ended with status %d" % status)
        print("closed during the load after %.2f s" % took)


if __name__ == "__main__":
    sys.exit(vyr_e2e.main(journey, __doc__))
