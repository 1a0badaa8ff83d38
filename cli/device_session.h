// vyrctl's device commands: their shared options, the connect-and-log-in every command starts
// with, and the progress bar of long operations.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "device/connection.h"
#include "device/progress.h"
#include "device/settings_backup.h"
#include "device/user_level.h"
#include "link/secret.h"

namespace vyr::cli {

// The files the devices of one run write: the first device to name a file gets it, so that
// two devices never write the same file.
class FileClaims {
  public:
    // Nothing when `path` is now `port`'s (or was already); else the port that has it.
    std::optional<std::string> Claim(const std::string& path, const std::string& port);

  private:
    std::mutex mutex_;
    std::map<std::string, std::string> owners_;
};

// The placeholders of a FILE that several devices write, replaced per device.
inline constexpr std::string_view kPortPlaceholder = "{port}";
inline constexpr std::string_view kSerialPlaceholder = "{serial}";

// Whether `file` names each device's own file (holds {port} or {serial}).
bool NamesEachDevice(std::string_view file);

// A device text (a serial number, a port's name) as a part of a file name: letters, digits,
// '-', '_' and single dots, everything else '_', at most 64 bytes, never starting with a dot.
// Empty when it holds no letter or digit.
std::string FileNamePart(std::string_view text);

// "vyrctl device OPTIONS COMMAND ARGS...": the options every device command shares.
struct DeviceOptions {
    std::string port;                // the port this run works on
    std::vector<std::string> ports;  // every port given, in order ("all" expanded)
    std::string user = "superadmin";
    std::string passwordFile;
    serial_link::Secret password;  // read once, before any port is opened
    bool verbose = false;
    bool json = false;
    FileClaims* claims = nullptr;  // with several ports
};

// With several (`ports` > 1), a usage error unless `file` names each device's own file.
int RequireEachDeviceFile(std::size_t ports, std::string_view file, Streams io);

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

// The secret, or nothing after saying on stderr why there is none. Core dumps are off from
// the first call on.
std::optional<serial_link::Secret> ReadSecret(const SecretSource& source, Streams io);

// The user level rule a command needs, as the window's menus ask it.
using LevelRule = bool (UserLevel::*)() const;

class DeviceSession {
  public:
    DeviceSession(const DeviceOptions& options, Streams io);

    DeviceConnection& connection() { return connection_; }
    Streams io() const { return io_; }
    const std::string& port() const { return options_.port; }
    const std::string& user() const { return options_.user; }

    // Connects and logs in; an exit status other than kExitDone (the reason told on stderr)
    // when that failed or the user's level does not pass `allowed`.
    int Open(LevelRule allowed);

    // Names the port and what went wrong on stderr; returns kExitCommunication.
    int Failed(std::string_view what);

    // The file this device writes: `pattern` with {port} replaced by the port's file name and
    // {serial} by the device's serial number (read from the device), each made safe by
    // FileNamePart, and claimed for this device. Any other exit status than kExitDone after
    // naming the reason on stderr.
    int TargetFile(std::string_view pattern, std::string& path);

    // Tells on stderr what a backup into `path` repaired, and why it was not written; its
    // exit status: 0 written, 8 load failed or incomplete, 4 the file could not be written,
    // 10 the device lacks values (written with their defaults, or an existing file kept).
    int ReportBackup(const BackupResult& backup, const std::string& path);

  private:
    void ListValues(const std::vector<std::string>& values);

    const DeviceOptions& options_;
    Streams io_;
    DeviceConnection connection_;
};

}  // namespace vyr::cli
