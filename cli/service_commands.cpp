// vyrctl device OPTIONS mic TYPE [KEY=VALUE...] | serial [--set NUMBER] | notes [--add TEXT]
// | results
//
// Microphone calibration needs the level of the Service menu, the other three the level of
// the factory-service items.
#include "cli/service_commands.h"

#include <map>
#include <ostream>

#include "cli/device_text.h"
#include "device/clock.h"
#include "device/microphone.h"
#include "device/service_records.h"

namespace vyr::cli {

namespace {

std::string_view RangeText(MicValueKind kind) {
    switch (kind) {
        case MicValueKind::Sensitivity:
            return "a whole number -60..0";
        case MicValueKind::Frequency:
            return "20..16000";
        case MicValueKind::Gain:
            return "-6..6";
        case MicValueKind::Q:
            return "0.2..3";
        case MicValueKind::Switch:
            return "1 or 0";
    }
    return "";
}

// The KEY=VALUE assignments, each checked as the dialog checks its field; nothing on a
// usage error (told on stderr).
std::optional<std::map<std::size_t, std::string>> ParseAssignments(const DeviceOptions& options,
                                                                   Streams io) {
    std::map<std::size_t, std::string> assigned;
    for (std::size_t i = 1; i < options.args.size(); ++i) {
        const std::string_view arg = options.args[i];
        const auto equals = arg.find('=');
        const std::string_view key = arg.substr(0, equals);
        const auto index = FindMicValue(key);
        if (equals == std::string_view::npos || !index) {
            UsageError(io, "unknown microphone value '" + std::string(key) +
                               "' (mic TYPE takes KEY=VALUE with the keys it lists)");
            return std::nullopt;
        }
        if (assigned.contains(*index)) {
            UsageError(io, std::string(key) + " is given twice");
            return std::nullopt;
        }
        const std::string value(arg.substr(equals + 1));
        if (!CheckMicEntry(kMicValues[*index].kind, value).valid) {
            UsageError(io, std::string(key) + "=" + value + " is out of range: " +
                               std::string(RangeText(kMicValues[*index].kind)));
            return std::nullopt;
        }
        assigned[*index] = value;
    }
    return assigned;
}

// Prints the values read as KEY=VALUE lines; a value that cannot be interpreted is printed
// as received and named on stderr.
void PrintMic(const MicReadResult& read, Streams io) {
    for (std::size_t i = 0; i < kMicValueCount; ++i) {
        const auto shown = InterpretMicValue(kMicValues[i].kind, read.texts[i]);
        if (!shown) {
            io.err << "vyrctl: could not interpret " << kMicValues[i].key << ": '"
                   << TerminalText(read.texts[i]) << "'\n";
        }
        io.out << kMicValues[i].key << '=' << (shown ? *shown : TerminalText(read.texts[i]))
               << '\n';
    }
}

int ReadFailed(DeviceSession& session, const MicReadResult& read, char letter) {
    return session.Failed("could not read " + std::string(kMicValues[read.read].key) +
                          " of microphone type '" + letter + "'");
}

// Every value the device would hold after the write: assigned, else as read; each checked as
// the dialog checks it. Nothing after naming the values that fail on stderr.
std::optional<MicValueTexts> Prepare(const MicReadResult& read,
                                     const std::map<std::size_t, std::string>& assigned,
                                     Streams io) {
    MicValueTexts texts;
    bool valid = true;
    for (std::size_t i = 0; i < kMicValueCount; ++i) {
        const MicValueSpec& value = kMicValues[i];
        std::optional<std::string> entered;
        if (const auto it = assigned.find(i); it != assigned.end())
            entered = it->second;
        else
            entered = InterpretMicValue(value.kind, read.texts[i]);
        const MicCheck check =
            entered ? CheckMicEntry(value.kind, *entered) : MicCheck{false, {}, {}};
        if (!check.valid) {
            io.err << "vyrctl: the device holds " << value.key << "='"
                   << TerminalText(read.texts[i]) << "', not " << RangeText(value.kind)
                   << "; give it a value\n";
            valid = false;
        }
        texts[i] = check.deviceText;
    }
    if (!valid)
        return std::nullopt;
    return texts;
}

}  // namespace

int RunMicCommand(const DeviceOptions& options, Streams io) {
    const auto type = options.args.empty() ? std::nullopt : MicTypeFromLetter(options.args[0]);
    if (!type)
        return UsageError(io, "mic needs a microphone TYPE a..s");
    const char letter = MicTypeLetter(*type);
    const auto assigned = ParseAssignments(options, io);
    if (!assigned)
        return kExitUsage;

    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::MayUseServiceMenu); status != kExitDone)
        return status;
    MicReadResult read = ReadMicCalibration(session.connection(), *type);
    if (!read.Complete())
        return ReadFailed(session, read, letter);
    if (!assigned->empty()) {
        const auto texts = Prepare(read, *assigned, io);
        if (!texts)
            return kExitUsage;
        const MicWriteResult written = WriteMicCalibration(session.connection(), *type, *texts);
        if (!written.Complete()) {
            return session.Failed(
                "the device did not store " + std::string(kMicValues[written.written].key) +
                " of microphone type '" + letter + "'; the " + std::to_string(written.written) +
                " values before it were written");
        }
        read = ReadMicCalibration(session.connection(), *type);
        if (!read.Complete())
            return ReadFailed(session, read, letter);
    }
    PrintMic(read, io);
    return kExitDone;
}

int RunSerialCommand(const DeviceOptions& options, Streams io) {
    const bool set = !options.args.empty();
    if (set && (options.args.size() != 2 || options.args[0] != "--set"))
        return UsageError(io, "serial takes only --set NUMBER");
    if (set) {
        if (const auto status = CheckSerialNumber(options.args[1]); status != RecordStatus::Done)
            return UsageError(io, RecordStatusText(status, "the serial number"));
    }
    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::MayUseFactoryService); status != kExitDone)
        return status;
    if (set) {
        const RecordWrite written = WriteSerialNumber(session.connection(), options.args[1]);
        if (written.status != RecordStatus::Done)
            return session.Failed(RecordStatusText(written.status, "the serial number"));
    }
    const auto number = ReadSerialNumber(session.connection());
    if (!number)
        return session.Failed("the device did not answer with its serial number");
    io.out << TerminalText(*number) << '\n';
    return kExitDone;
}

namespace {

// The lines as the device sent them, nothing added: a line feed that ends a line is the
// file's own, anything else in a line goes through the terminal filter.
int PrintLines(DeviceSession& session, const RecordLines& read, Streams io) {
    for (const std::string_view line : read.lines) {
        const bool ended = line.ends_with('\n');
        io.out << TerminalText(line.substr(0, line.size() - (ended ? 1 : 0)))
               << (ended ? "\n" : "");
    }
    if (!read.complete) {
        return session.Failed("the device stopped answering after " +
                              std::to_string(read.lines.size()) + " lines");
    }
    return kExitDone;
}

}  // namespace

int RunNotesCommand(const DeviceOptions& options, Streams io) {
    const bool add = !options.args.empty();
    if (add && (options.args.size() != 2 || options.args[0] != "--add"))
        return UsageError(io, "notes takes only --add TEXT");
    if (add) {
        if (const auto status = CheckNote(options.args[1]); status != RecordStatus::Done)
            return UsageError(io, RecordStatusText(status, "the note"));
    }
    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::MayUseFactoryService); status != kExitDone)
        return status;
    if (add) {
        const RecordWrite added =
            AppendServiceNote(session.connection(), options.args[1], LocalNow());
        if (added.status != RecordStatus::Done)
            return session.Failed(RecordStatusText(added.status, "the note"));
    }
    return PrintLines(session, ReadServiceNotes(session.connection()), io);
}

int RunResultsCommand(const DeviceOptions& options, Streams io) {
    if (!options.args.empty())
        return UsageError(io, "results takes no arguments");
    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::MayUseFactoryService); status != kExitDone)
        return status;
    return PrintLines(session, ReadTestResults(session.connection()), io);
}

}  // namespace vyr::cli
