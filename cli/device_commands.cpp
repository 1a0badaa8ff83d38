// vyrctl device OPTIONS info | load FILE | send FILE [--preset N] [--active N] | time [--set WHEN]
//
// Each command connects (open, loopback synchronisation), logs in, checks that the user's
// level allows the command as the window's menus would, does its work and closes the port.
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "device/clock.h"
#include "device/connection.h"
#include "device/device_info.h"
#include "device/transfer.h"
#include "settings/settings_file.h"
#include "settings/text.h"

namespace vyr::cli {

namespace {

struct Options {
    std::string port;
    std::string user = "superadmin";
    std::string passwordFile;
    bool verbose = false;
    std::string command;
    std::vector<std::string_view> args;  // the command's own arguments
};

// A progress bar on stderr when it is a terminal.
class BarProgress final : public Progress {
  public:
    explicit BarProgress(Streams io) : io_(io), bar_(IsTerminal(stderr)) {}
    ~BarProgress() override { EndLine(); }

    void Report(int done, int total, std::string_view, int) override {
        if (!bar_ || total <= 0)
            return;
        constexpr int kWidth = 40;
        const int filled = done * kWidth / total;
        io_.err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << done
                << "/" << total << std::flush;
        drawn_ = true;
    }
    void EndLine() {
        if (drawn_)
            io_.err << '\n';
        drawn_ = false;
    }

  private:
    Streams io_;
    bool bar_;
    bool drawn_ = false;
};

// The password: from --password-file, else VYR_PASSWORD, else asked for on the terminal.
std::optional<std::string> Password(const Options& options, Streams io) {
    if (!options.passwordFile.empty()) {
        std::ifstream file(options.passwordFile, std::ios::binary);
        std::string line;
        if (!file || !std::getline(file, line)) {
            io.err << "vyrctl: cannot read the password file " << options.passwordFile << '\n';
            return std::nullopt;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }
    if (const char* variable = std::getenv("VYR_PASSWORD"))
        return std::string(variable);
    if (auto typed = ReadSecretLine("Password: "))
        return typed;
    io.err << "vyrctl: no password: use --password-file FILE or the variable VYR_PASSWORD\n";
    return std::nullopt;
}

using LevelRule = bool (UserLevel::*)() const;

class Session {
  public:
    Session(const Options& options, Streams io) : options_(options), io_(io) {
        connection_.link.SetDiagnosticSink([this](std::string_view text) {
            if (options_.verbose)
                io_.err << text;
        });
    }

    DeviceConnection& connection() { return connection_; }

    // Connects and logs in; an exit status other than kExitDone when that failed or the
    // user's level does not pass `allowed`.
    int Open(LevelRule allowed) {
        const ConnectResult connected = Connect(connection_, options_.port);
        if (connected.status == ConnectStatus::PortFailed) {
            io_.err << "vyrctl: " << OpenFailureText(options_.port, connected.openError) << '\n';
            return kExitPortFailed;
        }
        if (connected.status == ConnectStatus::NoAnswer) {
            io_.err << "vyrctl: " << options_.port << ": the device does not answer\n";
            return kExitNoSync;
        }
        const auto password = Password(options_, io_);
        if (!password)
            return kExitUsage;
        const LoginResult login =
            Login(connection_, Utf8ToWide(options_.user), Utf8ToWide(*password));
        if (login.status != LoginStatus::Accepted) {
            io_.err << "vyrctl: " << options_.port << ": "
                    << (login.status == LoginStatus::TooLong ? "user name or password too long"
                                                             : "login refused")
                    << '\n';
            return kExitLoginRefused;
        }
        if (!(login.level.*allowed)()) {
            io_.err << "vyrctl: user " << options_.user << " (level " << login.level.Number()
                    << ") may not use this command\n";
            return kExitLoginRefused;
        }
        return kExitDone;
    }

    // The message for a transfer that did not complete.
    int TransferFailed(std::string_view what) {
        io_.err << "vyrctl: " << options_.port << ": " << what << '\n';
        return kExitCommunication;
    }

  private:
    const Options& options_;
    Streams io_;
    DeviceConnection connection_;
};

int Info(const Options& options, Streams io) {
    if (!options.args.empty())
        return UsageError(io, "info takes no arguments");
    Session session(options, io);
    if (const int status = session.Open(&UserLevel::LoggedIn); status != kExitDone)
        return status;
    DeviceInformation info;
    info.Tick(session.connection());
    if (session.connection().link.Vanished())
        return session.TransferFailed("the device stopped answering");
    io.out << info.ClipboardText() << '\n';
    return kExitDone;
}

int Load(const Options& options, Streams io) {
    if (options.args.size() != 1)
        return UsageError(io, "load needs one FILE");
    const std::string path(options.args[0]);
    Session session(options, io);
    if (const int status = session.Open(&UserLevel::MayTransferSettings); status != kExitDone)
        return status;
    const SettingsModel start;
    BarProgress bar(io);
    const LoadResult load = LoadFromDevice(session.connection(), start.store, {}, bar);
    bar.EndLine();
    if (load.status != TransferStatus::Done)
        return session.TransferFailed("the device stopped answering; " + path + " not written");
    io.err << WideToUtf8(load.loaded->guard.Log());
    if (!load.unanswered.empty()) {
        io.err << "vyrctl: " << options.port << ": no answer for " << load.unanswered.size()
               << " values; " << path << " not written:\n";
        for (const std::string& value : load.unanswered)
            io.err << "  " << value << '\n';
        return kExitCommunication;
    }
    std::string reason;
    const auto status = SaveSettingsStore(load.loaded->store, path, &reason);
    return ReportFileFailure(status, path, reason, io);
}

// "--preset N" and "--active N" after the file.
struct SendOptions {
    std::optional<int> preset;
    std::optional<int> active;
};

std::optional<SendOptions> ParseSendOptions(const Options& options, Streams io) {
    SendOptions send;
    for (std::size_t i = 1; i < options.args.size(); i += 2) {
        const std::string_view option = options.args[i];
        if (option != "--preset" && option != "--active") {
            UsageError(io, "unknown option '" + std::string(option) + "' of send");
            return std::nullopt;
        }
        const auto value = i + 1 < options.args.size()
                               ? ParseWholeInteger(options.args[i + 1])
                               : std::optional<std::int32_t>();
        if (!value || *value < 0 || *value >= kPresetCount) {
            UsageError(io, std::string(option) + " needs a number 0..9");
            return std::nullopt;
        }
        (option == "--preset" ? send.preset : send.active) = *value;
    }
    return send;
}

int Send(const Options& options, Streams io) {
    if (options.args.empty())
        return UsageError(io, "send needs a FILE");
    const std::string path(options.args[0]);
    const auto send = ParseSendOptions(options, io);
    if (!send)
        return kExitUsage;

    SettingsModel model;
    std::string reason;
    if (const auto status = LoadSettingsStore(model.store, path, &reason);
        status != SettingsFileStatus::Ok) {
        return ReportFileFailure(status, path, reason, io);
    }
    io.err << WideToUtf8(model.guard.Log());

    Session session(options, io);
    if (const int opened = session.Open(&UserLevel::MayTransferSettings); opened != kExitDone)
        return opened;
    DeviceConnection& connection = session.connection();
    if (send->preset == 0 && !connection.level.MayWriteDefaultPreset()) {
        io.err << "vyrctl: user " << options.user << " may not send the DEFAULT preset\n";
        return kExitLoginRefused;
    }
    const int active = send->active ? *send->active : ReadActivePreset(connection);
    BarProgress bar(io);
    const SendResult sent =
        send->preset ? SendPresetToDevice(connection, model.store, *send->preset, active, bar)
                     : SendAllToDevice(connection, model.store, active, bar);
    bar.EndLine();
    if (sent.status != TransferStatus::Done) {
        return session.TransferFailed(std::string(kTransferError.text) + " " +
                                      std::to_string(sent.confirmed) + " of " +
                                      std::to_string(sent.total) + " values reached the device.");
    }
    return kExitDone;
}

int Time(const Options& options, Streams io) {
    std::optional<DateTime> when;
    if (options.args.size() == 2 && options.args[0] == "--set") {
        when = options.args[1] == "now" ? std::optional(LocalNow()) : ParseIsoTime(options.args[1]);
        if (!when)
            return UsageError(io, "--set needs 'now' or YYYY-MM-DDThh:mm:ss");
    } else if (!options.args.empty()) {
        return UsageError(io, "time takes only --set now|YYYY-MM-DDThh:mm:ss");
    }
    Session session(options, io);
    const LevelRule rule = when ? &UserLevel::MayTransferSettings : &UserLevel::LoggedIn;
    if (const int status = session.Open(rule); status != kExitDone)
        return status;
    const auto print = [&]() {
        const auto text = ReadDeviceTime(session.connection());
        const auto time = text ? ParseDeviceTime(*text) : std::nullopt;
        if (!time) {
            io.err << "vyrctl: " << options.port << ": cannot read the device time"
                   << (text ? " (it answered '" + *text + "')" : std::string()) << '\n';
            return false;
        }
        io.out << FormatIsoTime(*time) << '\n';
        return true;
    };
    if (!print())
        return kExitCommunication;
    if (!when)
        return kExitDone;
    if (!SetDeviceClock(session.connection(), *when))
        return session.TransferFailed("the device did not answer the clock setting");
    return print() ? kExitDone : kExitCommunication;
}

}  // namespace

int RunDeviceCommand(Arguments args, Streams io) {
    Options options;
    std::size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        const std::string_view option = args[i];
        if (option == "--verbose") {
            options.verbose = true;
            continue;
        }
        std::string* target = option == "--port"            ? &options.port
                              : option == "--user"          ? &options.user
                              : option == "--password-file" ? &options.passwordFile
                                                            : nullptr;
        if (target == nullptr)
            return UsageError(io, "unknown device option '" + std::string(option) + "'");
        if (i + 1 >= args.size())
            return UsageError(io, std::string(option) + " needs a value");
        *target = std::string(args[++i]);
    }
    if (options.port.empty())
        return UsageError(io, "device commands need --port PATH");
    if (i >= args.size())
        return UsageError(io, "device needs a command: info, load, send or time");
    struct Command {
        std::string_view name;
        int (*run)(const Options&, Streams);
    };
    static constexpr Command kCommands[] = {
        {"info", Info}, {"load", Load}, {"send", Send}, {"time", Time}};
    options.command = args[i];
    options.args.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    for (const Command& command : kCommands) {
        if (command.name == options.command)
            return command.run(options, io);
    }
    return UsageError(io, "unknown device command '" + options.command + "'");
}

}  // namespace vyr::cli
