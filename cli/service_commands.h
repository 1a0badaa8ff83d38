// vyrctl's service commands: mic TYPE [KEY=VALUE...] | serial [--set NUMBER] | notes [--add
// TEXT] | results, the microphone calibration, serial number, service notes and production
// test results.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

#include "cli/device_command.h"

namespace vyr::cli {

// mic TYPE [KEY=VALUE...]
struct MicPlan {
    int type = 0;
    std::map<std::size_t, std::string> assigned;  // value index -> its text, each checked
};
int ParseMic(const CommandInput& input, MicPlan& plan, Streams io);
int RunMic(const MicPlan& plan, DeviceSession& session);

// serial [--set NUMBER]
struct SerialPlan {
    std::optional<std::string> number;  // to write, checked
};
int ParseSerial(const CommandInput& input, SerialPlan& plan, Streams io);
int RunSerial(const SerialPlan& plan, DeviceSession& session);

// notes [--add TEXT]
struct NotesPlan {
    std::optional<std::string> note;  // to append, checked
};
int ParseNotes(const CommandInput& input, NotesPlan& plan, Streams io);
int RunNotes(const NotesPlan& plan, DeviceSession& session);

// results
struct ResultsPlan {};
int ParseResults(const CommandInput& input, ResultsPlan& plan, Streams io);
int RunResults(const ResultsPlan& plan, DeviceSession& session);

}  // namespace vyr::cli
