// vyrctl --help
#include <ostream>
#include <string_view>

#include "cli/commands.h"

namespace vyr::cli {

namespace {

constexpr std::string_view kUsage =
    "usage:\n"
    "  vyrctl ports                 list the serial ports found, one a line: the path,\n"
    "                               then a tab and the stable name where there is one\n"
    "  vyrctl file check FILE       check a settings file; print the repairs it needs\n"
    "  vyrctl file dump FILE        print the 860 values of a settings file\n"
    "  vyrctl file diff FILE1 FILE2 print the values that differ as\n"
    "                               preset:key: value1 -> value2 (exit 9 when any do)\n"
    "  vyrctl file defaults FILE [--force]\n"
    "                               write a settings file holding the factory defaults;\n"
    "                               an existing FILE is replaced only with --force\n"
    "  vyrctl device OPTIONS info   print the device information\n"
    "  vyrctl device OPTIONS load FILE [--force]\n"
    "                               load all presets from the device into a settings file;\n"
    "                               values the device lacks get their defaults (exit 10),\n"
    "                               and then an existing FILE is replaced only with --force\n"
    "  vyrctl device OPTIONS send FILE [--preset N] [--active N] [--base OLD] [--verify]\n"
    "                               send a settings file (or one preset of it) to the "
    "device,\n"
    "                               then switch the device to preset N (default: its own);\n"
    "                               with --base, only the values where FILE differs from\n"
    "                               OLD (the file the device holds); with --verify, read\n"
    "                               every sent value back (a difference is exit 8)\n"
    "  vyrctl device OPTIONS time [--set now|YYYY-MM-DDThh:mm:ss]\n"
    "                               print (and set) the device's date and time\n"
    "  vyrctl device OPTIONS mic TYPE [KEY=VALUE...]\n"
    "                               print the calibration of microphone type TYPE (a..s)\n"
    "                               as KEY=VALUE lines; with assignments, check every\n"
    "                               value, write the type and print it as read back\n"
    "  vyrctl device OPTIONS serial [--set NUMBER]\n"
    "                               print (and write) the device's serial number\n"
    "  vyrctl device OPTIONS notes [--add TEXT]\n"
    "                               print the service notes; with --add, first append TEXT\n"
    "                               dated with the computer's time\n"
    "  vyrctl device OPTIONS results\n"
    "                               print the production test results\n"
    "  vyrctl device OPTIONS users  list the device's user accounts, one per line\n"
    "  vyrctl device OPTIONS users set NAME [--superadmin] [--new-password-file FILE]\n"
    "                               create or change account NAME, level 4 (3 with\n"
    "                               --superadmin, and always for superadmin); the new\n"
    "                               password from FILE, else $VYR_NEW_PASSWORD, else\n"
    "                               asked for twice\n"
    "  vyrctl device OPTIONS users rm NAME\n"
    "                               delete account NAME (not superadmin)\n"
    "  vyrctl device OPTIONS firmware\n"
    "                               print whether the device holds a firmware file:\n"
    "                               present or absent\n"
    "  vyrctl device OPTIONS firmware --start (--backup FILE | --no-backup)\n"
    "                               start the firmware update; with --backup, first\n"
    "                               save all settings to FILE and start only when that\n"
    "                               backup is complete and lacks no value\n"
    "\n"
    "OPTIONS: --port PATH (required; repeatable, or 'all' for every port found),\n"
    "         --user NAME (default superadmin), --password-file FILE (else\n"
    "         $VYR_PASSWORD, else asked for), --verbose,\n"
    "         --json (also before 'device'): one JSON object per line on stdout,\n"
    "         progress events and a result per port with status, message and data\n"
    "\n"
    "Several ports: the command runs on all at once; every line is prefixed with\n"
    "the port, a summary line per port ends the run and the exit status is the\n"
    "highest of the ports'. FILE of load and firmware --backup must then hold\n"
    "{port} (the port's file name) or {serial} (the device's serial number).\n"
    "\n"
    "exit status: 0 done, 1 usage, 2 port cannot be opened, 3 device does not answer,\n"
    "             4 file cannot be opened or written, 5 invalid file format,\n"
    "             6 file corrupted (checksum), 7 login refused or not allowed,\n"
    "             8 communication error or a change the device refused,\n"
    "             9 the answer is no (files differ, no firmware file),\n"
    "             10 complete, but the device lacks some values\n";

}  // namespace

void PrintUsage(std::ostream& out) {
    out << kUsage;
}

}  // namespace vyr::cli
