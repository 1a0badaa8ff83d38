#!/usr/bin/env python3
"""The Windows programs under Wine against the Linux simulator, as a person or a script uses
them: vyrctl.exe on a Wine COM port (ports, info, time, load, send --base, users, and the
fault paths), the window driven from the keyboard, and the installer.

    wine_journeys.py --windows BUILD-WINDOWS --linux BUILD --dist DIST [--only NAME...]

The Wine prefix is $WINEPREFIX, with a persistent wineserver already running (scripts/
windows-test starts it). Each journey prints its checks; the last line counts them.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

COM = 5
PASSWORD = "vyr-superadmin"
TITLE = "Vyr Administration Software v2.2.6"
# Offline, the tab order is DEFAULT (focused at start), "1", the port choice, the connection
# button, which Space presses.
CONNECT_KEYS = ("Tab", "Tab", "Tab", "space")
# The menu bar from the keyboard: F10 ("File"), along to "Device", open it, its first item.
DEVICE_INFO_KEYS = ("F10", "Right", "Right", "Down", "Return")
failures = []
passes = [0]


def check(condition, what):
    if condition:
        passes[0] += 1
        print("  ok   " + what, flush=True)
    else:
        failures.append(what)
        print("  FAIL " + what, flush=True)
    return condition


def windows_path(path):
    """A Linux path as a Windows program names it (Wine's drive Z: is /)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Simulator:
    """vyrsim on Wine's COM port COM, with a frame log and a device tree of its own."""

    def __init__(self, program, work, *options):
        self.log = os.path.join(work, "frames.log")
        self.tree = os.path.join(work, "tree")
        if os.path.exists(self.log):
            os.remove(self.log)
        self.process = subprocess.Popen(
            [program, "--wine-com", str(COM), "--log", self.log, "--tree", self.tree, *options],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.path = self.process.stdout.readline().strip()
        if not self.path.startswith("/dev/"):
            raise RuntimeError("vyrsim did not start: " + self.path + self.process.stderr.read())

    def frames(self):
        with open(self.log, encoding="latin-1") as log:
            return log.read().splitlines()

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *args):
        self.stop()


def run(argv, environment=None, timeout=180):
    env = dict(os.environ)
    env.pop("VYR_PASSWORD", None)
    env.update(environment or {})
    started = time.monotonic()
    done = subprocess.run(argv, stdin=subprocess.DEVNULL, capture_output=True, env=env,
                          timeout=timeout)
    done.seconds = time.monotonic() - started
    # A Windows program's text output ends its lines with CR LF.
    done.out = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    done.err = done.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
    return done


class Programs:
    def __init__(self, args):
        self.vyrctl_exe = os.path.join(args.windows, "cli", "vyrctl.exe")
        self.vyradmin_exe = os.path.join(args.windows, "app", "vyradmin.exe")
        self.vyrctl = os.path.join(args.linux, "cli", "vyrctl")
        self.vyrsim = os.path.join(args.linux, "sim", "vyrsim")
        self.dist = args.dist
        self.screenshots = args.screenshots

    def wine_vyrctl(self, *words, password=True, timeout=180):
        env = {"VYR_PASSWORD": PASSWORD} if password else {}
        return run(["wine", self.vyrctl_exe, *words], env, timeout)

    def device(self, *words, **options):
        return self.wine_vyrctl("device", "--port", "COM%d" % COM, *words, **options)


# DLLs every Windows since 7 has in its system folder.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "imm32.dll", "kernel32.dll",
    "msvcrt.dll", "ole32.dll", "oleacc.dll", "oleaut32.dll", "rpcrt4.dll", "setupapi.dll",
    "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll", "winmm.dll",
    "winspool.drv", "ws2_32.dll", "wsock32.dll", "uuid.dll", "gdiplus.dll", "msimg32.dll",
}


def journey_imports(programs, work):
    print("the programs import only system DLLs", flush=True)
    for program in (programs.vyradmin_exe, programs.vyrctl_exe):
        dump = run(["x86_64-w64-mingw32-objdump", "-p", program])
        dlls = sorted({name.lower() for name in re.findall(r"DLL Name: (\S+)", dump.out)})
        foreign = [name for name in dlls if name not in SYSTEM_DLLS]
        check(dlls and not foreign, "%s (%.1f MB) imports %s%s" %
              (os.path.basename(program), os.path.getsize(program) / 1e6, ", ".join(dlls),
               "; not system DLLs: " + ", ".join(foreign) if foreign else ""))


def journey_vyrctl(programs, work):
    print("vyrctl.exe on a Wine COM port", flush=True)
    with Simulator(programs.vyrsim, work) as sim:
        ports = programs.wine_vyrctl("ports", password=False)
        check(ports.returncode == 0 and re.search(r"^COM%d\b" % COM, ports.out, re.M),
              "ports lists COM%d: %r" % (COM, ports.out))

        info = programs.device("info")
        check(info.returncode == 0 and len(info.out.splitlines()) == 7,
              "info prints the seven lines (exit %d): %r %r" % (info.returncode, info.out,
                                                               info.err))
        clock = programs.device("time")
        check(clock.returncode == 0 and re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\n",
                                                      clock.out),
              "time prints YYYY-MM-DDThh:mm:ss: %r" % clock.out)

        # The same device state, loaded once by Windows and once by Linux.
        win_file = os.path.join(work, "windows.Vyr")
        linux_file = os.path.join(work, "linux.Vyr")
        load = programs.device("load", windows_path(win_file))
        check(load.returncode == 0, "load exits 0 (%d): %s" % (load.returncode, load.err))
        linux = run([programs.vyrctl, "device", "--port", sim.path, "load", linux_file],
                    {"VYR_PASSWORD": PASSWORD})
        check(linux.returncode == 0, "the Linux vyrctl loads the same device")
        same = (os.path.exists(win_file) and os.path.exists(linux_file) and
                open(win_file, "rb").read() == open(linux_file, "rb").read())
        check(same, "the file loaded under Windows is byte for byte the Linux one")

        users = programs.device("users")
        check(users.returncode == 0 and "superadmin" in users.out.split(),
              "users lists the accounts: %r" % users.out)

    # One value changed on the device, which then holds it: a send with the new file as the
    # base writes back exactly that one value (and the preset switch).
    key_file = os.path.join(work, "tree", "chroma", "settings", "1", "rec_meta_description0")
    with open(key_file, "w") as f:
        f.write("changed on the device")
    with Simulator(programs.vyrsim, work) as sim:
        changed = os.path.join(work, "changed.Vyr")
        load = programs.device("load", windows_path(changed))
        check(load.returncode == 0, "load of the changed device")
        before = len(sim.frames())
        send = programs.device("send", windows_path(win_file), "--base", windows_path(changed))
        check(send.returncode == 0, "send --base exits 0 (%d): %s" % (send.returncode, send.err))
        writes = [line for line in sim.frames()[before:] if line.startswith("in  0 ")]
        check(len(writes) == 1 and "/chroma/settings/1/rec_meta_description0" in writes[0],
              "the frame log shows exactly the changed value written: %r" % writes)


def journey_faults(programs, work):
    print("vyrctl.exe against a failing device", flush=True)
    with Simulator(programs.vyrsim, work, "--silent"):
        silent = programs.device("info")
        check(silent.returncode == 3, "a silent device is exit 3 (%d): %s" %
              (silent.returncode, silent.err))

    kept = os.path.join(work, "kept.Vyr")
    with open(kept, "w") as f:
        f.write("an older backup\n")
    with Simulator(programs.vyrsim, work, "--hangup-after", "100"):
        gone = programs.device("load", windows_path(kept))
        check(gone.returncode == 8, "a device that hangs up mid-load is exit 8 (%d): %s" %
              (gone.returncode, gone.err))
        check(open(kept).read() == "an older backup\n", "the existing file is left untouched")

    with Simulator(programs.vyrsim, work, "--baud", "9600") as sim:
        env = dict(os.environ, VYR_PASSWORD=PASSWORD)
        first = subprocess.Popen(["wine", programs.vyrctl_exe, "device", "--port", "COM%d" % COM,
                                  "load", windows_path(os.path.join(work, "slow.Vyr"))],
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, env=env)
        # The first holds the port once it has logged in.
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and not any(" 1 /chroma/settings" in line
                                                      for line in sim.frames()):
            time.sleep(0.2)
        second = programs.device("info")
        check(second.returncode == 2 and "port is in use" in second.err,
              "a second vyrctl.exe on the port: exit 2, \"port is in use\" (%d): %s" %
              (second.returncode, second.err))
        first.kill()
        first.wait()
        # wine's child may still hold the port for a moment.
        time.sleep(1)
    with Simulator(programs.vyrsim, work, "--baud", "9600"):
        slow = programs.device("info", timeout=240)
        check(slow.returncode == 0 and len(slow.out.splitlines()) == 7,
              "info at a real 9600-baud pace succeeds in %.1f s (%d): %s" %
              (slow.seconds, slow.returncode, slow.err))


class Display:
    """A virtual display of its own for the window."""

    def __init__(self, number=97):
        self.name = ":%d" % number
        self.process = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1280x1024x24",
                                         "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            if run(["xdpyinfo", "-display", self.name]).returncode == 0:
                return
            time.sleep(0.2)
        raise RuntimeError("Xvfb did not start")

    def env(self):
        return dict(os.environ, DISPLAY=self.name)

    def xdotool(self, *words):
        return run(["xdotool", *words], {"DISPLAY": self.name}, timeout=30)

    def window(self, title, timeout=60):
        """The X window whose name is `title`, once it is mapped."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % re.escape(title))
            if found.returncode == 0 and found.out.split():
                return found.out.split()[0]
            time.sleep(0.3)
        return None

    # Keys go through XTEST to the window that has the focus, as a keyboard's do: the program
    # moves the focus itself (a dialog it opens takes it). Only the first window is focused
    # from here, as a person clicks into a program once.
    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)

    def keys(self, *keys):
        for key in keys:
            self.xdotool("key", key)
            time.sleep(0.2)

    def type(self, text):
        self.xdotool("type", "--delay", "40", text)

    def close(self, window):
        """Asks `window` to close as its close box does (WM_DELETE_WINDOW): there is no window
        manager under Xvfb to draw one."""
        from Xlib import X, display, protocol
        screen = display.Display(self.name)
        try:
            target = screen.create_resource_object("window", int(window))
            event = protocol.event.ClientMessage(
                window=target, client_type=screen.intern_atom("WM_PROTOCOLS"),
                data=(32, [screen.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
            target.send_event(event, event_mask=X.NoEventMask)
            screen.flush()
        finally:
            screen.close()

    def screenshot(self, path):
        run(["import", "-display", self.name, "-window", "root", path])
        return path

    def stop(self):
        self.process.terminate()
        self.process.wait()


def wait_until(condition, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.3)
    return condition()


def roaming_config():
    """Where wxFileConfig keeps "Corvanta/Vyr.cfg" for the Wine user."""
    users = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users")
    for user in sorted(os.listdir(users)):
        candidate = os.path.join(users, user, "AppData", "Roaming", "Corvanta", "Vyr.cfg")
        if user != "Public" and os.path.isdir(os.path.join(users, user, "AppData")):
            return candidate
    return None


def journey_window(programs, work):
    print("the window under Wine, driven from the keyboard", flush=True)
    shots = programs.screenshots
    os.makedirs(shots, exist_ok=True)
    config = roaming_config()
    if config and os.path.exists(config):
        os.remove(config)
    display = Display()
    try:
        with Simulator(programs.vyrsim, work) as sim:
            window = subprocess.Popen(["wine", programs.vyradmin_exe, "--port", "COM%d" % COM],
                                      stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL, env=display.env())
            try:
                main = display.window(TITLE)
                check(main is not None, "the window \"%s\" is shown" % TITLE)
                if main is None:
                    return
                time.sleep(1.5)
                display.screenshot(os.path.join(shots, "wine-main.png"))
                display.focus(main)
                display.keys(*CONNECT_KEYS)
                login = display.window("User Authentication", timeout=30)
                check(login is not None, "Connect shows the login dialog")
                if login is None:
                    display.screenshot(os.path.join(shots, "wine-no-login.png"))
                    return
                time.sleep(0.5)
                display.screenshot(os.path.join(shots, "wine-login.png"))
                display.type("superadmin")
                display.keys("Tab")
                display.type(PASSWORD)
                display.keys("Return")
                logged_in = wait_until(lambda: any(line.startswith("in  12 ")
                                                   for line in sim.frames()), 30)
                check(logged_in, "the simulator's log shows the login")
                count = len(sim.frames())
                kept_alive = wait_until(lambda: sum(line.startswith("in  4 ") for line in
                                                    sim.frames()[count:]) >= 2, 15)
                check(kept_alive, "and the keep-alive after it")
                time.sleep(1)
                display.screenshot(os.path.join(shots, "wine-connected.png"))
                display.keys(*DEVICE_INFO_KEYS)
                info = display.window("Device information", timeout=15)
                check(info is not None, "Device / Display device information opens")
                time.sleep(2)
                display.screenshot(os.path.join(shots, "wine-device-info.png"))
                if info is not None:
                    display.close(info)
                    check(wait_until(lambda: display.window("Device information", 1) is None,
                                     10), "its close box closes it")
                display.close(main)
                closed = wait_until(lambda: window.poll() is not None, 30)
                if not check(closed, "the close box ends the program"):
                    display.screenshot(os.path.join(shots, "wine-not-closed.png"))
            finally:
                if window.poll() is None:
                    window.kill()
                    window.wait()
        text = open(config).read() if config and os.path.exists(config) else ""
        check("LastCOMPort=%d" % (COM - 1) in text and "LastPortPath=COM%d" % COM in text,
              "Vyr.cfg under the roaming folder keeps the port (index %d): %r" % (COM - 1, text))
    finally:
        display.stop()


def journey_installer(programs, work):
    print("the installer, silent", flush=True)
    setups = [name for name in os.listdir(programs.dist) if name.endswith("-setup.exe")]
    if not check(len(setups) == 1, "one installer in %s: %r" % (programs.dist, setups)):
        return
    setup = os.path.join(programs.dist, setups[0])
    drive = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    folder = os.path.join(drive, "Program Files", "Vyr Administration Software")
    menu = os.path.join(drive, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                        "Vyr Administration Software")
    installed = run(["wine", setup, "/S"], timeout=120)
    check(installed.returncode == 0, "setup /S exits 0 (%d)" % installed.returncode)
    files = ["vyradmin.exe", "vyrctl.exe", os.path.join("Doc", "Vyr_help.html"),
             "uninstall.exe"]
    for name in files:
        check(os.path.isfile(os.path.join(folder, name)), "installed: " + name)
    check(os.path.isfile(os.path.join(menu, "Vyr Administration Software.lnk")),
          "the Start-menu entry exists")
    usage = run(["wine", os.path.join(folder, "vyrctl.exe"), "--help"])
    check(usage.returncode == 0 and usage.out.startswith("usage:"),
          "the installed vyrctl.exe --help runs")
    path = run(["wine", "reg", "query",
                r"HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment", "/v",
                "Path"])
    check("Vyr Administration Software" in path.out, "the folder is on the system PATH")
    association = run(["wine", "reg", "query", r"HKLM\Software\Classes\.Vyr"])
    check("Vyr.SettingsFile" in association.out, ".Vyr files open with the window")
    # The uninstaller copies itself away and goes on in the background: wait for its work.
    run(["wine", os.path.join(folder, "uninstall.exe"), "/S"], timeout=120)
    gone = wait_until(lambda: not os.path.exists(folder) and not os.path.exists(menu), 60)
    check(gone, "the silent uninstall removes the folder and the Start-menu entry: %r" %
          (os.listdir(folder) if os.path.exists(folder) else []))
    path = run(["wine", "reg", "query",
                r"HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment", "/v",
                "Path"])
    check("Vyr Administration Software" not in path.out, "and takes the folder off the PATH")
    association = run(["wine", "reg", "query", r"HKLM\Software\Classes\.Vyr"])
    check(association.returncode != 0, "and the .Vyr file type")


def register_com_port():
    """Wine's port map lists the ports it found itself at start, not a link made later; a
    Windows driver adds its port there when the port appears. The test does the driver's
    part (a Wine quirk, worked around here and not in the programs)."""
    run(["wine", "reg", "add", r"HKLM\HARDWARE\DEVICEMAP\SERIALCOMM", "/v", "VyrSimulator",
         "/t", "REG_SZ", "/d", "COM%d" % COM, "/f"])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--windows", required=True)
    parser.add_argument("--linux", required=True)
    parser.add_argument("--dist", required=True)
    parser.add_argument("--screenshots", default="dist/screenshots")
    parser.add_argument("--only", nargs="*")
    args = parser.parse_args()
    programs = Programs(args)
    register_com_port()
    journeys = {
        "imports": journey_imports,
        "vyrctl": journey_vyrctl,
        "faults": journey_faults,
        "window": journey_window,
        "installer": journey_installer,
    }
    for name, journey in journeys.items():
        if args.only and name not in args.only:
            continue
        work = tempfile.mkdtemp(prefix="vyr_wine_%s_" % name)
        try:
            journey(programs, work)
        except Exception as error:  # a journey that breaks off is one failure, not the end
            check(False, "%s broke off: %r" % (name, error))
        finally:
            shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (passes[0], len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
