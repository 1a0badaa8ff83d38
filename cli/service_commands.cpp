// vyrctl device OPTIONS mic TYPE [KEY=VALUE...] | serial [--set NUMBER] | notes [--add TEXT]
// | results
//
// Microphone calibration needs the level of the Service menu, the other three the level of
// the factory-service items.
#include "cli/service_commands.h"

#include <ostream>

#include "cli/device_text.h"
#include "device/clock.h"
#include "device/microphone.h"
#include "device/service_records.h"

namespace vyr::cli {

namespace {

// The KEY=VALUE assignments, each checked as the dialog checks its field.
int ParseAssignments(Arguments args, MicPlan& plan, Streams io) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const auto equals = arg.find('=');
        const std::string_view key = arg.substr(0, equals);
        const auto index = FindMicValue(key);
        if (equals == std::string_view::npos || !index) {
            return UsageError(io, "unknown microphone value '" + std::string(key) +
                                      "' (mic TYPE takes KEY=VALUE with the keys it lists)");
        }
        if (plan.assigned.contains(*index))
            return UsageError(io, std::string(key) + " is given twice");
        const std::string value(arg.substr(equals + 1));
        if (!CheckMicEntry(kMicValues[*index].kind, value).valid) {
            return UsageError(io, std::string(key) + "=" + value +
                                      " is out of range: " + MicRangeText(kMicValues[*index].kind));
        }
        plan.assigned[*index] = value;
    }
    return kExitDone;
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
                   << TerminalText(read.texts[i]) << "', not " << MicRangeText(value.kind)
                   << "; give it a value\n";
            valid = false;
        }
        texts[i] = check.deviceText;
    }
    if (!valid)
        return std::nullopt;
    return texts;
}

// Writes the assigned values with the rest as read, then reads the type back into `read`.
int WriteMic(const MicPlan& plan, DeviceSession& session, MicReadResult& read) {
    const char letter = MicTypeLetter(plan.type);
    const auto texts = Prepare(read, plan.assigned, session.io());
    if (!texts)
        return kExitUsage;
    const MicWriteResult written = WriteMicCalibration(session.connection(), plan.type, *texts);
    if (!written.Complete()) {
        return session.Failed("the device did not store " +
                              std::string(kMicValues[written.written].key) +
                              " of microphone type '" + letter + "'; the " +
                              std::to_string(written.written) + " values before it were written");
    }
    read = ReadMicCalibration(session.connection(), plan.type);
    return read.Complete() ? kExitDone : ReadFailed(session, read, letter);
}

// The "[OPTION VALUE]" of serial and notes: a record to write, checked by the device's rules.
struct RecordOption {
    std::string_view option;
    std::string_view usage;  // the usage error for anything else
    std::string_view what;   // the record in messages
    RecordStatus (*check)(std::string_view value);
};

constexpr RecordOption kSerialOption{"--set", "serial takes only --set NUMBER", "the serial number",
                                     CheckSerialNumber};
constexpr RecordOption kNoteOption{"--add", "notes takes only --add TEXT", "the note", CheckNote};

int ParseRecordOption(Arguments args, const RecordOption& record, std::optional<std::string>& value,
                      Streams io) {
    if (args.empty())
        return kExitDone;
    if (args.size() != 2 || args[0] != record.option)
        return UsageError(io, record.usage);
    if (const auto status = record.check(args[1]); status != RecordStatus::Done)
        return UsageError(io, RecordStatusText(status, record.what));
    value = std::string(args[1]);
    return kExitDone;
}

// The lines as the device sent them, nothing added: a line feed that ends a line is the
// file's own, anything else in a line goes through the terminal filter.
int PrintLines(DeviceSession& session, const RecordLines& read) {
    for (const std::string_view line : read.lines) {
        const bool ended = line.ends_with('\n');
        session.io().out << TerminalText(line.substr(0, line.size() - (ended ? 1 : 0)))
                         << (ended ? "\n" : "");
    }
    if (!read.complete) {
        return session.Failed("the device stopped answering after " +
                              std::to_string(read.lines.size()) + " lines");
    }
    return kExitDone;
}

}  // namespace

int ParseMic(const CommandInput& input, MicPlan& plan, Streams io) {
    const auto type = input.args.empty() ? std::nullopt : MicTypeFromLetter(input.args[0]);
    if (!type)
        return UsageError(io, "mic needs a microphone TYPE a..s");
    plan.type = *type;
    return ParseAssignments(input.args, plan, io);
}

int RunMic(const MicPlan& plan, DeviceSession& session) {
    if (const int status = session.Open(&UserLevel::MayUseServiceMenu); status != kExitDone)
        return status;
    MicReadResult read = ReadMicCalibration(session.connection(), plan.type);
    if (!read.Complete())
        return ReadFailed(session, read, MicTypeLetter(plan.type));
    if (!plan.assigned.empty()) {
        if (const int status = WriteMic(plan, session, read); status != kExitDone)
            return status;
    }
    PrintMic(read, session.io());
    return kExitDone;
}

int ParseSerial(const CommandInput& input, SerialPlan& plan, Streams io) {
    return ParseRecordOption(input.args, kSerialOption, plan.number, io);
}

int RunSerial(const SerialPlan& plan, DeviceSession& session) {
    if (const int status = session.Open(&UserLevel::MayUseFactoryService); status != kExitDone)
        return status;
    if (plan.number) {
        const RecordWrite written = WriteSerialNumber(session.connection(), *plan.number);
        if (written.status != RecordStatus::Done)
            return session.Failed(RecordStatusText(written.status, kSerialOption.what));
    }
    const auto number = ReadSerialNumber(session.connection());
    if (!number)
        return session.Failed("the device did not answer with its serial number");
    session.io().out << TerminalText(*number) << '\n';
    return kExitDone;
}

int ParseNotes(const CommandInput& input, NotesPlan& plan, Streams io) {
    return ParseRecordOption(input.args, kNoteOption, plan.note, io);
}

int RunNotes(const NotesPlan& plan, DeviceSession& session) {
    if (const int status = session.Open(&UserLevel::MayUseFactoryService); status != kExitDone)
        return status;
    if (plan.note) {
        const RecordWrite added = AppendServiceNote(session.connection(), *plan.note, LocalNow());
        if (added.status != RecordStatus::Done)
            return session.Failed(RecordStatusText(added.status, kNoteOption.what));
    }
    return PrintLines(session, ReadServiceNotes(session.connection()));
}

int ParseResults(const CommandInput& input, ResultsPlan&, Streams io) {
    return input.args.empty() ? kExitDone : UsageError(io, "results takes no arguments");
}

int RunResults(const ResultsPlan&, DeviceSession& session) {
    if (const int status = session.Open(&UserLevel::MayUseFactoryService); status != kExitDone)
        return status;
    return PrintLines(session, ReadTestResults(session.connection()));
}

}  // namespace vyr::cli
