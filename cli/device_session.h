// vyrctl's device commands: their shared options, the connect-and-log-in every command starts
// with, and the progress bar of long operations.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "device/connection.h"
#include "device/progress.h"
#include "device/settings_backup.h"
#include "device/user_level.h"

namespace vyr::cli {

// "vyrctl device OPTIONS COMMAND ARGS..."
struct DeviceOptions {
    std::string port;
    std::string user = "superadmin";
    std::string passwordFile;
    bool verbose = false;
    std::string command;
    std::vector<std::string_view> args;  // the command's own arguments
};

// One device command: its name after the options, and what runs it.
struct DeviceCommand {
    std::string_view name;
    int (*run)(const DeviceOptions&, Streams);
};

// A progress bar on stderr when it is a terminal.
class BarProgress final : public Progress {
  public:
    explicit BarProgress(Streams io);
    ~BarProgress() override { EndLine(); }

    void Report(int done, int total, std::string_view key, int preset) override;
    void EndLine();

  private:
    Streams io_;
    bool bar_;
    bool drawn_ = false;
};

// Where a secret comes from: the first line of `file` when given (by `fileOption`), else the
// environment variable `variable`, else typed on the terminal without echo after `prompt`.
struct SecretSource {
    std::string_view what;  // "password", for the messages
    std::string file;
    std::string_view fileOption;
    const char* variable;
    const char* prompt;
};

// The secret, or nothing after saying on stderr why there is none.
std::optional<std::string> ReadSecret(const SecretSource& source, Streams io);

// The user level rule a command needs, as the window's menus ask it.
using LevelRule = bool (UserLevel::*)() const;

class DeviceSession {
  public:
    DeviceSession(const DeviceOptions& options, Streams io);

    DeviceConnection& connection() { return connection_; }

    // Connects and logs in; an exit status other than kExitDone (the reason told on stderr)
    // when that failed or the user's level does not pass `allowed`.
    int Open(LevelRule allowed);

    // Names the port and what went wrong on stderr; returns kExitCommunication.
    int Failed(std::string_view what);

    // Tells on stderr what a backup into `path` repaired, and why it was not written; its
    // exit status: 0 written, 8 load failed or incomplete, 4 the file could not be written.
    int ReportBackup(const BackupResult& backup, const std::string& path);

  private:
    const DeviceOptions& options_;
    Streams io_;
    DeviceConnection connection_;
};

}  // namespace vyr::cli
