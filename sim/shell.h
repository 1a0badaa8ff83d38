// The shell command lines the device runs for the tool (command 17). Only the lines the tool
// sends are known; their output goes into files, as the real shell's redirections would.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "sim/device_clock.h"
#include "sim/file_tree.h"

namespace vyrsim {

// Where the device's messages and its commands' error output end up.
inline constexpr std::string_view kConsoleLog = "/var/log/messages";
// Marks that the firmware update script was started.
inline constexpr std::string_view kUpdateStartedFile = "/tmp/update_started";

enum class ShellOutcome {
    Done,      // the line ran: answered with command 2
    Refused,   // unknown line or one that failed: answered with command 3
    NoAnswer,  // the line does not return (the firmware update)
};

ShellOutcome RunShellLine(std::string_view line, FileTree& files, DeviceClock& clock);

// Matches a line against a pattern in which each "{}" stands for a non-empty word without
// blanks; gives the words, or nothing when the line does not match.
std::optional<std::vector<std::string_view>> MatchPattern(std::string_view pattern,
                                                          std::string_view line);

}  // namespace vyrsim
