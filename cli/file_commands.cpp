// vyrctl file check | dump | defaults
#include <ostream>

#include "cli/commands.h"
#include "settings/settings_file.h"
#include "settings/text.h"

namespace vyr::cli {

namespace {

struct Model {
    SettingCatalogue catalogue;
    GuardLog guard;
    SettingStore store{catalogue, guard};
};

int ExitStatusFor(SettingsFileStatus status) {
    switch (status) {
        case SettingsFileStatus::Ok:
            return kExitDone;
        case SettingsFileStatus::CannotWrite:
        case SettingsFileStatus::CannotOpen:
            return kExitFileAccess;
        case SettingsFileStatus::InvalidFormat:
            return kExitFileFormat;
        case SettingsFileStatus::Corrupted:
            return kExitFileCorrupted;
    }
    return kExitFileAccess;
}

// Reports a failed file operation on stderr and returns its exit status.
int Report(SettingsFileStatus status, std::string_view path, Streams io) {
    if (auto message = MessageFor(status)) {
        io.err << "vyrctl: " << path << ": " << message->text << '\n';
    }
    return ExitStatusFor(status);
}

int Check(const std::string& path, Streams io) {
    Model model;
    const auto status = LoadSettingsStore(model.store, path);
    if (status == SettingsFileStatus::Ok)
        io.out << WideToUtf8(model.guard.Log());
    return Report(status, path, io);
}

int Dump(const std::string& path, Streams io) {
    Model model;
    const auto status = LoadSettingsStore(model.store, path);
    if (status != SettingsFileStatus::Ok)
        return Report(status, path, io);
    io.err << WideToUtf8(model.guard.Log());
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (int p = 0; p < kParameterCount; ++p) {
            io.out << preset << ':' << model.catalogue[p].key << '='
                   << Latin1ToUtf8(model.store.Text(p, preset)) << '\n';
        }
    }
    return kExitDone;
}

int Defaults(const std::string& path, Streams io) {
    Model model;
    return Report(SaveSettingsStore(model.store, path), path, io);
}

}  // namespace

int RunFileCommand(Arguments args, Streams io) {
    if (args.size() != 2) {
        PrintUsage(io.err);
        return kExitUsage;
    }
    const std::string path(args[1]);
    if (args[0] == "check")
        return Check(path, io);
    if (args[0] == "dump")
        return Dump(path, io);
    if (args[0] == "defaults")
        return Defaults(path, io);
    PrintUsage(io.err);
    return kExitUsage;
}

}  // namespace vyr::cli
