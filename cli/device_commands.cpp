// vyrctl device OPTIONS info | load FILE | send FILE [--preset N] [--active N] | time [--set WHEN]
//
// Each command connects (open, loopback synchronisation), logs in, checks that the user's
// level allows the command as the window's menus would, does its work and closes the port.
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "link/protocol.h"
#include "settings/device_info.h"
#include "settings/device_session.h"
#include "settings/settings_file.h"
#include "settings/text.h"
#include "settings/transfer.h"

namespace vyr::cli {

namespace {

// The highest user level (fewest rights) that may load or send settings.
constexpr int kTransferLevel = 4;

struct Options {
    std::string port;
    std::string user = "superadmin";
    std::string passwordFile;
    bool verbose = false;
    std::string command;
    std::vector<std::string_view> args;  // the command's own arguments
};

struct Model {
    SettingCatalogue catalogue;
    GuardLog guard;
    SettingStore store{catalogue, guard};
};

// Messages on stderr; a progress bar there when it is a terminal; no questions.
class CliUi final : public OperationUi {
  public:
    explicit CliUi(Streams io) : io_(io), bar_(IsTerminal(stderr)) {}

    void Progress(int done, int total) override {
        if (!bar_ || total <= 0)
            return;
        constexpr int kWidth = 40;
        const int filled = done * kWidth / total;
        io_.err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << done
                << "/" << total << std::flush;
        drawn_ = true;
    }
    void EndBusy() override { EndLine(); }
    void ShowMessage(const StatusMessage& message) override {
        EndLine();
        io_.err << "vyrctl: " << message.text << '\n';
    }
    bool Confirm(std::string_view, std::string_view) override { return true; }
    void ShowGuard(const GuardLog& guard) override {
        EndLine();
        io_.err << WideToUtf8(guard.Log());
    }
    int ActivePreset() const override { return active; }
    void SetActivePreset(int preset) override { active = preset; }
    int EditedPreset() const override { return edited; }
    void SelectEditedPreset(int preset) override { edited = preset; }

    int active = 1;
    int edited = 1;

  private:
    void EndLine() {
        if (drawn_)
            io_.err << '\n';
        drawn_ = false;
    }
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

class Session {
  public:
    Session(const Options& options, Streams io) : options_(options), io_(io) {
        link_.SetDiagnosticSink([this](std::string_view text) {
            if (options_.verbose)
                io_.err << text;
        });
    }

    serial_link::Link& link() { return link_; }

    // Connects and logs in; an exit status other than kExitDone when that failed or the
    // user's level is above `maxLevel`.
    int Open(int maxLevel) {
        if (!link_.Open(options_.port)) {
            io_.err << "vyrctl: cannot open the port " << options_.port << '\n';
            return kExitPortFailed;
        }
        if (!serial_link::SyncLink(link_)) {
            io_.err << "vyrctl: the device on " << options_.port << " does not answer\n";
            return kExitNoSync;
        }
        const auto password = Password(options_, io_);
        if (!password)
            return kExitUsage;
        const LoginResult login = Login(link_, Utf8ToWide(options_.user), Utf8ToWide(*password));
        if (login.status != LoginStatus::Accepted) {
            io_.err << (login.status == LoginStatus::TooLong
                            ? "vyrctl: user name or password too long\n"
                            : "vyrctl: login refused\n");
            return kExitLoginRefused;
        }
        if (login.level > maxLevel) {
            io_.err << "vyrctl: user " << options_.user << " (level " << login.level
                    << ") may not use this command\n";
            return kExitLoginRefused;
        }
        return kExitDone;
    }

  private:
    const Options& options_;
    Streams io_;
    serial_link::Link link_;
};

int Info(const Options& options, Streams io) {
    if (!options.args.empty())
        return kExitUsage;
    Session session(options, io);
    if (const int status = session.Open(6); status != kExitDone)
        return status;
    DeviceInformation info;
    info.Tick(session.link());
    if (session.link().Vanished()) {
        io.err << "vyrctl: the device stopped answering\n";
        return kExitCommunication;
    }
    io.out << info.ClipboardText() << '\n';
    return kExitDone;
}

int Load(const Options& options, Streams io) {
    if (options.args.size() != 1)
        return kExitUsage;
    const std::string path(options.args[0]);
    Session session(options, io);
    if (const int status = session.Open(kTransferLevel); status != kExitDone)
        return status;
    Model model;
    CliUi ui(io);
    SettingsTransfer transfer(session.link(), model.store, ui);
    transfer.LoadAllFromDevice();
    if (session.link().Vanished()) {
        io.err << "vyrctl: the device stopped answering; " << path << " not written\n";
        return kExitCommunication;
    }
    const auto status = SaveSettingsStore(model.store, path);
    if (status != SettingsFileStatus::Ok) {
        io.err << "vyrctl: " << path << ": " << MessageFor(status)->text << '\n';
        return kExitFileAccess;
    }
    return kExitDone;
}

int Send(const Options& options, Streams io) {
    if (options.args.empty())
        return kExitUsage;
    const std::string path(options.args[0]);
    std::optional<int> preset, active;
    for (std::size_t i = 1; i < options.args.size(); i += 2) {
        if (i + 1 >= options.args.size())
            return kExitUsage;
        const auto value = ParseWholeInteger(options.args[i + 1]);
        if (!value || *value < 0 || *value >= kPresetCount)
            return kExitUsage;
        if (options.args[i] == "--preset") {
            preset = value;
        } else if (options.args[i] == "--active") {
            active = value;
        } else {
            return kExitUsage;
        }
    }

    Model model;
    const auto status = LoadSettingsStore(model.store, path);
    if (status != SettingsFileStatus::Ok) {
        io.err << "vyrctl: " << path << ": " << MessageFor(status)->text << '\n';
        return status == SettingsFileStatus::Corrupted       ? kExitFileCorrupted
               : status == SettingsFileStatus::InvalidFormat ? kExitFileFormat
                                                             : kExitFileAccess;
    }
    io.err << WideToUtf8(model.guard.Log());

    Session session(options, io);
    if (const int opened = session.Open(kTransferLevel); opened != kExitDone)
        return opened;
    if (preset == 0 && session.link().UserLevel() > 3) {
        io.err << "vyrctl: user " << options.user << " may not send the DEFAULT preset\n";
        return kExitLoginRefused;
    }
    CliUi ui(io);
    SettingsTransfer transfer(session.link(), model.store, ui);
    ui.active = active ? *active : transfer.ReadActivePreset();
    bool sent = false;
    if (preset) {
        ui.edited = *preset;
        sent = transfer.SendEditedPresetToDevice(true);
    } else {
        sent = transfer.SendAllToDevice();
    }
    return sent ? kExitDone : kExitCommunication;
}

std::optional<DateTime> ParseWhen(std::string_view text) {
    if (text == "now")
        return LocalNow();
    // YYYY-MM-DDThh:mm:ss
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const auto field = [&](std::size_t at, std::size_t length) {
        return ParseWholeInteger(text.substr(at, length));
    };
    const auto year = field(0, 4), month = field(5, 2), day = field(8, 2);
    const auto hour = field(11, 2), minute = field(14, 2), second = field(17, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 ||
        *second > 59) {
        return std::nullopt;
    }
    return DateTime{*year, *month, *day, *hour, *minute, *second};
}

int Time(const Options& options, Streams io) {
    std::optional<DateTime> when;
    if (options.args.size() == 2 && options.args[0] == "--set") {
        when = ParseWhen(options.args[1]);
        if (!when)
            return kExitUsage;
    } else if (!options.args.empty()) {
        return kExitUsage;
    }
    Session session(options, io);
    if (const int status = session.Open(when ? kTransferLevel : 6); status != kExitDone)
        return status;
    const auto print = [&]() {
        const auto time = ReadDeviceTime(session.link());
        if (!time) {
            io.err << "vyrctl: cannot read the device time\n";
            return false;
        }
        io.out << TrimTrailingBlanks(*time) << '\n';
        return true;
    };
    if (!print())
        return kExitCommunication;
    if (!when)
        return kExitDone;
    SetDeviceClock(session.link(), true, *when);
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
        if (i + 1 >= args.size())
            break;
        const std::string value(args[++i]);
        if (option == "--port") {
            options.port = value;
        } else if (option == "--user") {
            options.user = value;
        } else if (option == "--password-file") {
            options.passwordFile = value;
        } else {
            options.port.clear();
            break;
        }
    }
    struct Command {
        std::string_view name;
        int (*run)(const Options&, Streams);
    };
    static constexpr Command kCommands[] = {
        {"info", Info}, {"load", Load}, {"send", Send}, {"time", Time}};
    int status = kExitUsage;
    if (!options.port.empty() && i < args.size()) {
        options.command = args[i];
        options.args.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
        for (const Command& command : kCommands) {
            if (command.name == options.command)
                status = command.run(options, io);
        }
    }
    if (status == kExitUsage)
        PrintUsage(io.err);
    return status;
}

}  // namespace vyr::cli
