// vyrctl: the command-line companion for scripted backup and restore.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "settings/file_io.h"
#include "settings/model.h"
#include "settings/text.h"

namespace vyr::cli {

void PrintUsage(std::ostream& out) {
    out << "usage:\n"
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
}

namespace {

// The catalogue must accept its own defaults; anything else is a build fault.
bool CatalogueIsConsistent(std::ostream& err) {
    SettingsModel model;
    if (CheckCatalogue(model.store))
        return true;
    err << "vyrctl: DESIGN ERROR\n" << WideToUtf8(DesignErrorText(model.guard));
    return false;
}

}  // namespace

}  // namespace vyr::cli

namespace vyr::cli {
namespace {

int RunCommandLine(Arguments args, Streams io) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        PrintUsage(io.out);
        return kExitDone;
    }
    struct Command {
        std::string_view name;
        int (*run)(Arguments, Streams);
    };
    static constexpr Command kCommands[] = {
        {"ports", RunPortsCommand},
        {"file", RunFileCommand},
        {"device", RunDeviceCommand},
    };
    if (args.empty())
        return UsageError(io, "no command given");
    // "vyrctl --json device ..." is "vyrctl device --json ...".
    if (args[0] == "--json") {
        if (args.size() < 2 || args[1] != "device")
            return UsageError(io, "--json goes with device commands");
        std::vector<std::string_view> device(args.begin() + 2, args.end());
        device.insert(device.begin(), "--json");
        return RunDeviceCommand(device, io);
    }
    for (const Command& command : kCommands) {
        if (args[0] == command.name)
            return command.run(args.subspan(1), io);
    }
    return UsageError(io, "unknown command '" + std::string(args[0]) + "'");
}

// Standard output as the commands write it, remembering why a write first failed: by the
// end of the run errno tells no more.
class WatchedOutput : public std::streambuf {
  public:
    explicit WatchedOutput(std::streambuf* inner) : inner_(inner) {}
    int Error() const { return error_; }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        errno = 0;
        const int_type put = inner_->sputc(traits_type::to_char_type(c));
        if (traits_type::eq_int_type(put, traits_type::eof()))
            Failed();
        return put;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        errno = 0;
        const std::streamsize written = inner_->sputn(text, count);
        if (written < count)
            Failed();
        return written;
    }
    int sync() override {
        errno = 0;
        const int synced = inner_->pubsync();
        if (synced != 0)
            Failed();
        return synced;
    }

  private:
    void Failed() {
        if (error_ == 0)
            error_ = errno != 0 ? errno : EIO;
    }

    std::streambuf* inner_;
    int error_ = 0;
};

// Output that never arrived (a full disk, a closed pipe, /dev/full) is a failure, not a
// success: standard output is flushed and closed and the result checked.
int FinishOutput(int status, const WatchedOutput& watched, std::ostream& err) {
    std::cout.flush();
    int error = watched.Error();
    errno = 0;
    if (std::fflush(stdout) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    errno = 0;
    if (std::fclose(stdout) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    if (error == 0 && std::cout)
        return status;
    err << "vyrctl: cannot write the output: " << std::strerror(error != 0 ? error : EIO)
        << '\n';
    return status == kExitDone ? kExitFileAccess : status;
}

}  // namespace
}  // namespace vyr::cli

int main(int argc, char** argv) {
    using namespace vyr::cli;
    PrepareConsole();
    const std::vector<std::string> words = vyr::CommandLineArguments(argc, argv);
    const std::vector<std::string_view> args(words.begin() + (words.empty() ? 0 : 1), words.end());
    WatchedOutput watched(std::cout.rdbuf());
    std::cout.rdbuf(&watched);
    Streams io{std::cout, std::cerr};
    if (!CatalogueIsConsistent(io.err))
        return 255;
    const int status = FinishOutput(RunCommandLine(args, io), watched, io.err);
    std::cout.rdbuf(nullptr);  // the watch goes before the stream
    return status;
}
