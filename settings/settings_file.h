// The settings file (*.Vyr): a "security_token" checksum line and one escaped line per
// parameter and preset.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "status_message.h"
#include "store.h"

namespace vyr {

inline constexpr std::string_view kSecurityTokenKey = "security_token";
inline constexpr std::string_view kSettingsFileExtension = ".Vyr";
inline constexpr std::string_view kUnsetMarker = "_INVALID_UNSET_";

// Ampersand escapes of the characters outside ASCII (and of the line feed, which would
// otherwise end the line).
std::string EscapeLine(std::string_view text);
std::string UnescapeLine(std::string_view text);

struct SettingsLine {
    int preset = 0;
    std::string key;
    std::string value;
};

// Unescapes and parses "<preset>:<key>=<value>" (or "<key>=<value>" without a preset).
std::optional<SettingsLine> ParseSettingsLine(std::string_view line, bool wantPreset);

// Running checksum over printable ASCII; other characters are skipped.
class RunningChecksum {
  public:
    void Add(std::string_view text);
    std::string Hex() const;  // lower-case hexadecimal without leading zeros

  private:
    std::uint32_t sum_ = 0;
    std::uint8_t counter_ = 0;
};

std::string SettingsChecksum(std::string_view text);

// The whole file content for a store.
std::string FormatSettingsFile(const SettingStore& store);

enum class SettingsFileStatus { Ok, CannotWrite, CannotOpen, InvalidFormat, Corrupted };

// Writes the store. The old file is replaced only once the new one is complete on disk.
SettingsFileStatus SaveSettingsStore(const SettingStore& store, const std::string& path);

// Reads a file. An intact file replaces every value of the store, with repairs and missing
// values reported in the store's guard log under "loading from file"; any refusal leaves
// the store and the log untouched.
SettingsFileStatus LoadSettingsStore(SettingStore& store, const std::string& path);

// The message box a failure is reported with (nothing for Ok).
std::optional<StatusMessage> MessageFor(SettingsFileStatus status);

// Appends ".Vyr" unless the path already ends with it (case-sensitive).
std::string WithSettingsExtension(std::string path);

}  // namespace vyr
