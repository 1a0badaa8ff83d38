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

namespace {

using namespace vyr;
using namespace vyr::cli;

// The catalogue must accept its own defaults; anything else is a build fault.
bool CatalogueIsConsistent(std::ostream& err) {
    SettingsModel model;
    if (CheckCatalogue(model.store))
        return true;
    err << "vyrctl: DESIGN ERROR\n" << WideToUtf8(DesignErrorText(model.guard));
    return false;
}

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
    err << "vyrctl: cannot write the output: " << std::strerror(error != 0 ? error : EIO) << '\n';
    return status == kExitDone ? kExitFileAccess : status;
}

}  // namespace

int main(int argc, char** argv) {
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
