#!/usr/bin/python3
"""Journey: log in as administrator, create an account in "Edit users", see it listed and
delete it; log in again with a service account and write the serial number; log in again as
administrator and find the service dialogs out of reach."""

import os
import re
import sys

import vyr_e2e
from vyr_e2e import (LOGIN_TITLE, Session, answer_message, check, click, find, find_application,
                     find_where, find_window, is_enabled, log_in, type_text, wait_for,
                     wait_window_gone, window_shown)

TITLE = "Vyr Administration Software v2.2.6"
USERS_TITLE = "Edit users"
SERIAL_TITLE = "Device serial number"
NEW_USER = "tester"
NEW_SERIAL = "VYR-E2E-0001"


def frames(log, pattern):
    """The lines of the simulator's frame log that match `pattern`."""
    expression = re.compile(pattern)
    return [line for line in log.splitlines() if expression.search(line)]


def account_table(dialog):
    """The account list: a table of one column inside the scroll pane its caption names."""
    return find(find(dialog, "scroll pane", "Existing users:"), "table", "")


def listed(dialog):
    """The names the account list shows."""
    return [node.name for node in vyr_e2e._walk(account_table(dialog))
            if node.getRoleName() == "table cell"]


def choose(dialog, name):
    """Selects the account `name` in the list, as a click on it would."""
    table = account_table(dialog)
    cells = [node for node in vyr_e2e._walk(table) if node.getRoleName() == "table cell"]
    names = [cell.name for cell in cells]
    check(name in names, "%s is not in the list %r" % (name, names))
    if not table.querySelection().selectChild(cells[names.index(name)].getIndexInParent()):
        raise vyr_e2e.JourneyFailed("the list does not take the selection of %s" % name)


def connect_as(frame, application, user, password):
    click(find(frame, "toggle button", "Connect"))
    log_in(application, user, password)
    wait_window_gone(application, LOGIN_TITLE)
    find(frame, "toggle button", "Disconnect")


def disconnect(frame):
    click(find(frame, "toggle button", "Disconnect"))
    find(frame, "toggle button", "Connect")


def journey(vyradmin, vyrsim):
    with Session() as session:
        frame_log = os.path.join(session.folder, "frames.log")
        _, window, _ = session.start_on_simulator(
            vyradmin, [vyrsim, "--log", frame_log])
        application = find_application("vyradmin")
        frame = find(application, "frame", TITLE)

        # An administrator manages the accounts.
        connect_as(frame, application, "superadmin", "vyr-superadmin")
        click(find(frame, "menu item", "Edit users"))
        users = find_window(application, USERS_TITLE)
        wait_for(lambda: "admin" in listed(users), "the account list to show admin")
        check("service" not in listed(users), "the reserved account service is listed")
        type_text(find(users, "text", "Username:"), NEW_USER)
        type_text(find(users, "password text", "Password:"), "e2e-secret")
        type_text(find(users, "password text", "Repeat password:"), "e2e-secret")
        click(find(users, "push button", "Create / change"))
        wait_for(lambda: NEW_USER in listed(users), "the new account to be listed")
        check(frames(session.log_file(frame_log), r"/chroma/users/%s" % NEW_USER),
              "no frame for the new account reached the device")

        choose(users, NEW_USER)
        wait_for(lambda: vyr_e2e.read_text(find(users, "text", "Username:")) == NEW_USER,
                 "the chosen account to fill the name field")
        session.press(find(users, "push button", "Delete"))
        answer_message(session, application, "Confirm action",
                       "This deletes the selected user.\nAre you sure?", button="Yes")
        wait_for(lambda: NEW_USER not in listed(users), "the deleted account to leave the list")
        check(frames(session.log_file(frame_log), r"rm /chroma/users/%s" % NEW_USER),
              "the device got no delete line for %s" % NEW_USER)
        click(find(users, "push button", "Close"))
        wait_window_gone(application, USERS_TITLE)
        disconnect(frame)

        # A service account writes the serial number.
        connect_as(frame, application, "service", "vyr-service")
        click(find(frame, "menu item", "Read and write serial number"))
        serial = find_window(application, SERIAL_TITLE)
        # The dialog reads the device's number first and then fills both fields with it.
        shown = find(serial, "text", "SN in device:")
        wait_for(lambda: vyr_e2e.read_text(shown) != "", "the dialog to show the serial number")
        type_text(find(serial, "text", "New SN:"), NEW_SERIAL)
        session.press(find(serial, "push button", "Write SN"))
        answer_message(session, application, "Confirm action",
                       "This overwrites the device's serial number.\nAre you sure?",
                       button="Yes")
        wait_for(lambda: frames(session.log_file(frame_log),
                                r'^in\s+0 /chroma/serialnumber text "%s' % NEW_SERIAL),
                 "the serial number to reach the device")
        wait_for(lambda: vyr_e2e.read_text(shown) == NEW_SERIAL,
                 "the dialog to show the new serial number")
        disconnect(frame)
        check(not window_shown(application, SERIAL_TITLE),
              "the serial number dialog stayed open after the disconnect")

        # A lower level after a new login: the service dialogs are out of reach.
        connect_as(frame, application, "admin", "vyr-admin")
        check(not is_enabled(find(frame, "menu item", "Read and write serial number")),
              "an administrator may open the serial number dialog")
        check(not window_shown(application, SERIAL_TITLE),
              "the serial number dialog shows for an administrator")

        status = session.close_window(TITLE, window)
        check(status == 0, "vyradmin ended with status %d" % status)


if __name__ == "__main__":
    sys.exit(vyr_e2e.main(journey, __doc__))
