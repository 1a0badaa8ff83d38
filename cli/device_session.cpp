#include "cli/device_session.h"

#include <cstdlib>
#include <fstream>
#include <ostream>

#include "cli/terminal.h"
#include "settings/text.h"

namespace vyr::cli {

BarProgress::BarProgress(Streams io) : io_(io), bar_(IsTerminal(stderr)) {}

void BarProgress::Report(int done, int total, std::string_view, int) {
    if (!bar_ || total <= 0)
        return;
    constexpr int kWidth = 40;
    const int filled = done * kWidth / total;
    io_.err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
            << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << done << "/"
            << total << std::flush;
    drawn_ = true;
}

void BarProgress::EndLine() {
    if (drawn_)
        io_.err << '\n';
    drawn_ = false;
}

std::optional<std::string> ReadSecret(const SecretSource& source, Streams io) {
    if (!source.file.empty()) {
        std::ifstream in(source.file, std::ios::binary);
        std::string line;
        if (!in || !std::getline(in, line)) {
            io.err << "vyrctl: cannot read the " << source.what << " file " << source.file << '\n';
            return std::nullopt;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }
    if (const char* value = std::getenv(source.variable))
        return std::string(value);
    if (auto typed = ReadSecretLine(source.prompt))
        return typed;
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
    const auto password = ReadSecret(
        {"password", options_.passwordFile, "--password-file", "VYR_PASSWORD", "Password: "}, io_);
    if (!password)
        return kExitUsage;
    const LoginResult login = Login(connection_, Utf8ToWide(options_.user), Utf8ToWide(*password));
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

int DeviceSession::Failed(std::string_view what) {
    io_.err << "vyrctl: " << options_.port << ": " << what << '\n';
    return kExitCommunication;
}

int DeviceSession::ReportBackup(const BackupResult& backup, const std::string& path) {
    switch (backup.status) {
        case BackupStatus::Failed:
        case BackupStatus::Cancelled:
            return Failed("the device stopped answering; " + path + " not written");
        case BackupStatus::Incomplete:
            io_.err << WideToUtf8(backup.report);
            io_.err << "vyrctl: " << options_.port << ": no answer for "
                    << backup.unanswered.size() << " values; " << path << " not written:\n";
            for (const std::string& value : backup.unanswered)
                io_.err << "  " << value << '\n';
            return kExitCommunication;
        case BackupStatus::FileFailed:
        case BackupStatus::Saved:
            break;
    }
    io_.err << WideToUtf8(backup.report);
    return ReportFileFailure(backup.fileStatus, path, backup.fileReason, io_);
}

}  // namespace vyr::cli
