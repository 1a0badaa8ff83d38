// The settings file (*.Vyr): a "security_token" checksum line and one escaped line per
// parameter and preset.
#pragma once

#include <cstddef>
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

// A settings file is about 20 kB. Reading stops at this size, far beyond any real file, and
// refuses the file as malformed.
inline constexpr std::size_t kMaxSettingsFileSize = std::size_t{1} << 20;

// Writes the store. The old file is replaced only once the new one is complete on disk; a
// symbolic link is written through to the file it names. On failure `reason` (when given)
// receives the system's text, such as "Permission denied".
SettingsFileStatus SaveSettingsStore(const SettingStore& store, const std::string& path,
                                     std::string* reason = nullptr);

// Reads a file. An intact file replaces every value of the store, with repairs and missing
// values reported in the store's guard log under "loading from file"; any refusal leaves
// the store and the log untouched. Only a regular file of at most kMaxSettingsFileSize bytes
// is read; anything else has an invalid format. On failure `reason` (when given) receives
// the system's text for a file that cannot be opened ("No such file or directory") or what
// is wrong with the file ("not a regular file"); it is empty when the message says it all.
SettingsFileStatus LoadSettingsStore(SettingStore& store, const std::string& path,
                                     std::string* reason = nullptr);

// The same for a file's content already in memory (InvalidFormat or Corrupted on refusal).
SettingsFileStatus LoadSettingsContent(SettingStore& store, std::string_view content);

// The message box a failure is reported with (nothing for Ok).
std::optional<StatusMessage> MessageFor(SettingsFileStatus status);

// Appends ".Vyr" unless the path already ends with it (case-sensitive).
std::string WithSettingsExtension(std::string path);

}  // namespace vyr
