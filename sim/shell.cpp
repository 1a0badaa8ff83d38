#include "sim/shell.h"

#include <charconv>
#include <string>

#include "sim/accounts.h"

namespace vyrsim {

namespace {

constexpr std::string_view kSettingsDirectory = "/chroma/settings/";
constexpr std::string_view kOutputDirectory = "/tmp/";
constexpr int kPresets = 10;

struct Shell {
    FileTree& files;
    DeviceClock& clock;
    const std::vector<std::string_view>& words;

    // The error output of a command, as the device's console keeps it.
    void Error(std::string_view text) const {
        files.Append(std::string(kConsoleLog), std::string(text) + "\n");
    }
};

using Run = ShellOutcome (*)(const Shell& shell);

// A redirection target: the tool's lines write only below /tmp/.
bool IsOutputPath(std::string_view path) {
    return IsPlainPath(path) && path.starts_with(kOutputDirectory);
}

std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "date +%Y/%m/%d-%H:%M:%S > FILE"
ShellOutcome WriteDate(const Shell& shell) {
    if (!IsOutputPath(shell.words[0]))
        return ShellOutcome::Refused;
    shell.files.Write(std::string(shell.words[0]), shell.clock.Now() + "\n");
    return ShellOutcome::Done;
}

// "date -s YYYY.MM.DD-hh:mm:ss; /chroma/scripts/sync_with_rtc"
ShellOutcome SetDate(const Shell& shell) {
    const std::string_view text = shell.words[0];
    // Digits at every position but the separators of "YYYY.MM.DD-hh:mm:ss".
    constexpr std::string_view kShape = "dddd.dd.dd-dd:dd:dd";
    if (text.size() != kShape.size())
        return ShellOutcome::Refused;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i])
            return ShellOutcome::Refused;
    }
    auto field = [&](std::size_t at, std::size_t length) {
        return *WholeNumber(text.substr(at, length));
    };
    if (!shell.clock.Set(field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2),
                         field(17, 2))) {
        shell.Error("date: invalid date '" + std::string(text) + "'");
        return ShellOutcome::Refused;
    }
    return ShellOutcome::Done;
}

// "/chroma/scripts/set_preset N": the preset's values become the current ones.
ShellOutcome SetPreset(const Shell& shell) {
    const std::optional<int> preset = WholeNumber(shell.words[0]);
    if (!preset || *preset < 0 || *preset >= kPresets) {
        shell.Error("set_preset: no preset " + std::string(shell.words[0]));
        return ShellOutcome::Refused;
    }
    const std::string from = std::string(kSettingsDirectory) + std::to_string(*preset) + "/";
    const std::string to = std::string(kSettingsDirectory) + "current/";
    for (const std::string& key : shell.files.List(from)) {
        if (auto value = shell.files.Read(from + key))
            shell.files.Write(to + key, *value);
    }
    shell.files.Write(std::string(kSettingsDirectory) + "current_preset", std::to_string(*preset));
    return ShellOutcome::Done;
}

std::string Lines(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += name + "\n";
    return text;
}

// "ls -1 DIR/ > FILE"
ShellOutcome ListDirectory(const Shell& shell) {
    const std::string directory(shell.words[0]);
    if (!IsOutputPath(shell.words[1]) || !IsPlainPath(directory))
        return ShellOutcome::Refused;
    const std::vector<std::string> names = shell.files.List(directory);
    if (names.empty())
        shell.Error("ls: " + directory + "/: No such file or directory");
    shell.files.Write(std::string(shell.words[1]), Lines(names));
    return ShellOutcome::Done;
}

// "ls PATH > FILE": the path itself when it is a file, its entries when it is a directory,
// nothing (and an error on the console) when it does not exist.
ShellOutcome ListPath(const Shell& shell) {
    const std::string path(shell.words[0]);
    if (!IsOutputPath(shell.words[1]) || !IsPlainPath(path))
        return ShellOutcome::Refused;
    std::string output;
    if (shell.files.Exists(path)) {
        output = path + "\n";
    } else {
        output = Lines(shell.files.List(path));
        if (output.empty())
            shell.Error("ls: " + path + ": No such file or directory");
    }
    shell.files.Write(std::string(shell.words[1]), output);
    return ShellOutcome::Done;
}

// "rm /chroma/users/NAME": the service accounts stay.
ShellOutcome RemoveUser(const Shell& shell) {
    const std::string_view name = shell.words[0];
    if (!IsValidUserName(name) || IsReservedAccount(name)) {
        shell.Error("rm: cannot remove '" + UserPath(name) + "': Operation not permitted");
        return ShellOutcome::Refused;
    }
    if (!shell.files.Remove(UserPath(name))) {
        shell.Error("rm: cannot remove '" + UserPath(name) + "': No such file or directory");
        return ShellOutcome::Refused;
    }
    return ShellOutcome::Done;
}

// "/chroma/scripts/update_firmware": the device goes away to update itself; no answer.
ShellOutcome StartUpdate(const Shell& shell) {
    shell.files.Write(std::string(kUpdateStartedFile), "/mnt/vyr/firmware.cup\n");
    shell.Error("update_firmware: update started");
    return ShellOutcome::NoAnswer;
}

struct ShellCommand {
    std::string_view pattern;
    Run run;
};

// Tried in order; the first matching pattern runs.
constexpr ShellCommand kShellCommands[] = {
    {"date +%Y/%m/%d-%H:%M:%S > {}", WriteDate},
    {"date -s {}; /chroma/scripts/sync_with_rtc", SetDate},
    {"/chroma/scripts/set_preset {}", SetPreset},
    {"ls -1 {}/ > {}", ListDirectory},
    {"ls {} > {}", ListPath},
    {"rm /chroma/users/{}", RemoveUser},
    {"/chroma/scripts/update_firmware", StartUpdate},
};

bool HasBlank(std::string_view word) {
    return word.find_first_of(" \t\n\r") != std::string_view::npos;
}

}  // namespace

std::optional<std::vector<std::string_view>> MatchPattern(std::string_view pattern,
                                                          std::string_view line) {
    constexpr std::string_view kHole = "{}";
    std::vector<std::string_view> words;
    while (true) {
        const std::size_t hole = pattern.find(kHole);
        const std::string_view literal = pattern.substr(0, hole);
        if (!line.starts_with(literal))
            return std::nullopt;
        line.remove_prefix(literal.size());
        if (hole == std::string_view::npos)
            break;
        pattern.remove_prefix(hole + kHole.size());
        // The word runs up to the next literal text of the pattern, or to the end.
        const std::string_view next = pattern.substr(0, pattern.find(kHole));
        const std::size_t end = next.empty() ? line.size() : line.find(next);
        if (end == std::string_view::npos || end == 0)
            return std::nullopt;
        const std::string_view word = line.substr(0, end);
        if (HasBlank(word))
            return std::nullopt;
        words.push_back(word);
        line.remove_prefix(end);
    }
    if (!line.empty())
        return std::nullopt;
    return words;
}

ShellOutcome RunShellLine(std::string_view line, FileTree& files, DeviceClock& clock) {
    for (const ShellCommand& command : kShellCommands) {
        if (auto words = MatchPattern(command.pattern, line))
            return command.run(Shell{files, clock, *words});
    }
    files.Append(std::string(kConsoleLog), "sh: unknown command line: " + std::string(line) + "\n");
    return ShellOutcome::Refused;
}

}  // namespace vyrsim
