// vyrctl file check | dump | diff | defaults
#include <filesystem>
#include <ostream>
#include <vector>

#include "cli/commands.h"
#include "cli/device_text.h"
#include "settings/difference.h"
#include "settings/file_io.h"
#include "settings/model.h"
#include "settings/settings_file.h"
#include "settings/text.h"

namespace vyr::cli {

int ReportFileFailure(SettingsFileStatus status, std::string_view path, std::string_view reason,
                      Streams io) {
    const auto message = MessageFor(status);
    if (!message)
        return ExitStatusFor(status);
    if ((status == SettingsFileStatus::CannotOpen || status == SettingsFileStatus::CannotWrite) &&
        !reason.empty()) {
        io.err << "vyrctl: cannot "
               << (status == SettingsFileStatus::CannotOpen ? "open " : "write ") << path << ": "
               << reason << '\n';
    } else {
        io.err << "vyrctl: " << path << ": " << message->text;
        if (!reason.empty())
            io.err << " (" << reason << ')';
        io.err << '\n';
    }
    return ExitStatusFor(status);
}

int LoadSettingsFile(SettingsModel& model, const std::string& path, Streams io) {
    std::string reason;
    const auto status = LoadSettingsStore(model.store, path, &reason);
    if (status != SettingsFileStatus::Ok)
        return ReportFileFailure(status, path, reason, io);
    io.err << TerminalReport(model.guard.Log());
    return kExitDone;
}

std::string OneLineValue(std::string_view latin1) {
    std::string escaped;
    escaped.reserve(latin1.size());
    for (char c : latin1) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return TerminalText(Latin1ToUtf8(escaped));
}

namespace {

int Check(const std::string& path, Streams io) {
    SettingsModel model;
    std::string reason;
    const auto status = LoadSettingsStore(model.store, path, &reason);
    if (status == SettingsFileStatus::Ok)
        io.out << TerminalReport(model.guard.Log());
    return ReportFileFailure(status, path, reason, io);
}

int Dump(const std::string& path, Streams io) {
    SettingsModel model;
    if (const int status = LoadSettingsFile(model, path, io); status != kExitDone)
        return status;
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (int p = 0; p < kParameterCount; ++p) {
            io.out << preset << ':' << model.catalogue[p].key << '='
                   << OneLineValue(model.store.Text(p, preset)) << '\n';
        }
    }
    return kExitDone;
}

int Diff(const std::string& oldPath, const std::string& newPath, Streams io) {
    SettingsModel old;
    SettingsModel now;
    if (const int status = LoadSettingsFile(old, oldPath, io); status != kExitDone)
        return status;
    if (const int status = LoadSettingsFile(now, newPath, io); status != kExitDone)
        return status;
    const auto differences = DifferingValues(old.store, now.store);
    for (const ValueDifference& difference : differences) {
        io.out << difference.preset << ':' << old.catalogue[difference.parameter].key << ": "
               << OneLineValue(difference.oldText) << " -> " << OneLineValue(difference.newText)
               << '\n';
    }
    return differences.empty() ? kExitDone : kExitAnswerNo;
}

int Defaults(const std::string& path, bool force, Streams io) {
    std::error_code error;
    // A link counts as an existing file, even when it names nothing yet.
    if (!force && std::filesystem::exists(std::filesystem::symlink_status(FilePath(path), error))) {
        io.err << "vyrctl: " << path << " already exists; use --force to replace it\n";
        return kExitFileAccess;
    }
    SettingsModel model;
    std::string reason;
    const auto status = SaveSettingsStore(model.store, path, &reason);
    return ReportFileFailure(status, path, reason, io);
}

}  // namespace

int RunFileCommand(Arguments args, Streams io) {
    if (args.empty())
        return UsageError(io, "file needs a command: check, dump, diff or defaults");
    const std::string_view command = args[0];
    if (command == "--help" || command == "-h") {
        PrintUsage(io.out);
        return kExitDone;
    }
    if (command != "check" && command != "dump" && command != "diff" && command != "defaults")
        return UsageError(io, "unknown file command '" + std::string(command) + "'");

    const std::string name = "file " + std::string(command);
    bool force = false;
    std::vector<std::string> paths;
    const std::size_t wanted = command == "diff" ? 2 : 1;
    for (const std::string_view arg : args.subspan(1)) {
        if (command == "defaults" && arg == "--force") {
            force = true;
        } else if (arg.starts_with("-") && arg.size() > 1) {
            return UsageError(io, "unknown option '" + std::string(arg) + "' for " + name);
        } else if (paths.size() == wanted) {
            return UsageError(io, name + (wanted == 1 ? " takes one FILE" : " takes two FILEs") +
                                      "; unexpected '" + std::string(arg) + "'");
        } else {
            paths.emplace_back(arg);
        }
    }
    if (paths.size() != wanted)
        return UsageError(io, name + (wanted == 1 ? " needs a FILE" : " needs FILE1 and FILE2"));
    if (command == "check")
        return Check(paths[0], io);
    if (command == "dump")
        return Dump(paths[0], io);
    if (command == "diff")
        return Diff(paths[0], paths[1], io);
    return Defaults(paths[0], force, io);
}

}  // namespace vyr::cli
