#include "cli/device_session.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "cli/console.h"
#include "cli/device_text.h"
#include "cli/terminal.h"
#include "device/service_records.h"
#include "settings/file_io.h"
#include "settings/text.h"

namespace vyr::cli {

std::optional<std::string> FileClaims::Claim(const std::string& path, const std::string& port) {
    std::error_code error;
    std::filesystem::path key = std::filesystem::absolute(FilePath(path), error);
    const std::string name = Utf8Path((error ? FilePath(path) : key).lexically_normal());
    const std::lock_guard lock(mutex_);
    const auto [it, added] = owners_.emplace(name, port);
    if (added || it->second == port)
        return std::nullopt;
    return it->second;
}

bool NamesEachDevice(std::string_view file) {
    return file.find(kPortPlaceholder) != std::string_view::npos ||
           file.find(kSerialPlaceholder) != std::string_view::npos;
}

int RequireEachDeviceFile(std::size_t ports, std::string_view file, Streams io) {
    if (ports > 1 && !NamesEachDevice(file)) {
        return UsageError(io, "with several ports, FILE must hold {port} or {serial}: '" +
                                  std::string(file) + "'");
    }
    return kExitDone;
}

std::string FileNamePart(std::string_view text) {
    constexpr std::size_t kMaxBytes = 64;
    std::string part;
    bool named = false;
    for (const char c : text) {
        if (part.size() == kMaxBytes)
            break;
        const bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                  (c >= '0' && c <= '9');
        named = named || alphanumeric;
        char safe = alphanumeric || c == '-' || c == '_' || c == '.' ? c : '_';
        if (safe == '.' && (part.empty() || part.back() == '.'))
            safe = '_';
        part += safe;
    }
    return named ? part : std::string();
}

namespace {

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (auto at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

}  // namespace

BarProgress::BarProgress(Streams io)
    : io_(io), bar_(io.progress == nullptr && IsTerminal(stderr)) {}

void BarProgress::Report(int done, int total, std::string_view key, int preset) {
    if (io_.progress != nullptr) {
        io_.progress->Report(done, total, key, preset);
        return;
    }
    if (!bar_ || total <= 0)
        return;
    io_.err << '\r' << ProgressBarText(done, total, 40) << std::flush;
    drawn_ = true;
}

void BarProgress::EndLine() {
    if (drawn_)
        io_.err << '\n';
    drawn_ = false;
}

std::optional<serial_link::Secret> ReadSecret(const SecretSource& source, Streams io) {
    serial_link::KeepOutOfCoreDumps();
    if (!source.file.empty()) {
        std::ifstream in(FilePath(source.file), std::ios::binary);
        std::string line;
        if (!in || !std::getline(in, line)) {
            io.err << "vyrctl: cannot read the " << source.what << " file " << source.file << '\n';
            return std::nullopt;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return serial_link::TakeSecret(line);
    }
    if (const char* value = std::getenv(source.variable))
        return serial_link::Secret(value);
    if (auto typed = ReadSecretLine(source.prompt))
        return serial_link::TakeSecret(*typed);
    io.err << "vyrctl: no " << source.what << ": use " << source.fileOption
           << " FILE or the variable " << source.variable << '\n';
    return std::nullopt;
}

DeviceSession::DeviceSession(const DeviceOptions& options, Streams io)
    : options_(options), io_(io) {
    connection_.link.SetDiagnosticSink([this](std::string_view text) {
        if (options_.verbose)
            io_.err << text;
    });
}

int DeviceSession::Open(LevelRule allowed) {
    const ConnectResult connected = Connect(connection_, options_.port);
    if (connected.status == ConnectStatus::PortFailed) {
        io_.err << "vyrctl: " << OpenFailureText(options_.port, connected.openError) << '\n';
        return kExitPortFailed;
    }
    if (connected.status == ConnectStatus::NoAnswer) {
        io_.err << "vyrctl: " << options_.port << ": the device does not answer\n";
        return kExitNoSync;
    }
    const LoginResult login =
        Login(connection_, Utf8ToWide(options_.user),
              serial_link::TakeSecret(Utf8ToWide(options_.password.View())).View());
    if (login.status != LoginStatus::Accepted) {
        io_.err << "vyrctl: " << options_.port << ": "
                << (login.status == LoginStatus::TooLong ? "user name or password too long"
                    : login.answered                   ? "login refused"
                                                       : "login refused or no answer from the device")
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

int DeviceSession::Failed(std::string_view what) {
    io_.err << "vyrctl: " << options_.port << ": " << what << '\n';
    return kExitCommunication;
}

int DeviceSession::TargetFile(std::string_view pattern, std::string& path) {
    path = pattern;
    if (path.find(kSerialPlaceholder) != std::string::npos) {
        const auto number = ReadSerialNumber(connection_);
        if (!number)
            return Failed("cannot read the serial number to name " + path);
        const std::string serial = FileNamePart(*number);
        if (serial.empty()) {
            io_.err << "vyrctl: " << options_.port
                    << ": the serial number is empty or holds no letter or digit; " << path
                    << " not written\n";
            return kExitFileAccess;
        }
        ReplaceAll(path, kSerialPlaceholder, serial);
    }
    ReplaceAll(path, kPortPlaceholder,
               FileNamePart(Utf8Path(FilePath(options_.port).filename())));
    if (options_.claims != nullptr) {
        if (const auto owner = options_.claims->Claim(path, options_.port)) {
            io_.err << "vyrctl: " << options_.port << ": " << path << " is the file of " << *owner
                    << " already; not written\n";
            return kExitFileAccess;
        }
    }
    return kExitDone;
}

int DeviceSession::ReportBackup(const BackupResult& backup, const std::string& path) {
    switch (backup.status) {
        case BackupStatus::Failed:
        case BackupStatus::Cancelled:
            return Failed("the device stopped answering; " + path + " not written");
        case BackupStatus::Incomplete:
            io_.err << TerminalReport(backup.guard.Log());
            io_.err << "vyrctl: " << options_.port << ": no answer for "
                    << backup.unanswered.size() << " values; " << path << " not written:\n";
            ListValues(backup.unanswered);
            return kExitCommunication;
        case BackupStatus::Kept:
        case BackupStatus::FileFailed:
        case BackupStatus::Saved:
            break;
    }
    io_.err << TerminalReport(backup.guard.Log());
    if (const int status = ReportFileFailure(backup.fileStatus, path, backup.fileReason, io_);
        status != kExitDone || backup.absent.empty())
        return status;
    io_.err << "vyrctl: " << options_.port << ": complete, but the device lacks "
            << backup.absent.size() << " values; "
            << (backup.status == BackupStatus::Kept
                    ? path + " kept as it was (--force replaces it)"
                    : path + " holds their defaults")
            << ":\n";
    ListValues(backup.absent);
    return kExitLacking;
}

void DeviceSession::ListValues(const std::vector<std::string>& values) {
    for (const std::string& value : values)
        io_.err << "  " << value << '\n';
}

}  // namespace vyr::cli
