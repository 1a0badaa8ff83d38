#include "settings_file.h"

#include <array>
#include <memory>

#include "file_io.h"
#include "text.h"

namespace vyr {

namespace {

struct Escape {
    char character;
    char letter;
};

// The ampersand first; "n" for the line feed is read by every version of this program but
// was never written by the earliest ones, which wrote a line feed unchanged and so lost the
// rest of the value.
constexpr std::array<Escape, 12> kEscapes = {{
    {'&', '&'},
    {'\xE4', 'a'},
    {'\xF6', 'o'},
    {'\xFC', 'u'},
    {'\xC4', 'A'},
    {'\xD6', 'O'},
    {'\xDC', 'U'},
    {'\xDF', 'z'},
    {'\xA7', 's'},
    {'\xB0', 'd'},
    {'\xB4', 'c'},
    {'\n', 'n'},
}};

// Escape letter by character and character by escape letter; 0 where there is none.
const std::array<char, 256> kEscapeLetter = [] {
    std::array<char, 256> table{};
    for (const Escape& e : kEscapes)
        table[static_cast<unsigned char>(e.character)] = e.letter;
    return table;
}();
const std::array<char, 256> kEscapedCharacter = [] {
    std::array<char, 256> table{};
    for (const Escape& e : kEscapes)
        table[static_cast<unsigned char>(e.letter)] = e.character;
    return table;
}();

// Lines longer than this cannot hold a valid entry and are skipped whole.
constexpr std::size_t kMaxKeptLine = 4096;

// Takes the next line, without its line feed, off the front of `rest`. False when nothing
// is left.
bool NextLine(std::string_view& rest, std::string_view& line) {
    if (rest.empty())
        return false;
    const auto end = rest.find('\n');
    line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return true;
}

using ValueTable = std::array<std::array<std::string, kPresetCount>, kParameterCount>;

}  // namespace

std::string EscapeLine(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (const char letter = kEscapeLetter[static_cast<unsigned char>(c)]) {
            out.push_back('&');
            out.push_back(letter);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string UnescapeLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char escaped =
            i + 1 < text.size() ? kEscapedCharacter[static_cast<unsigned char>(text[i + 1])] : 0;
        if (text[i] == '&' && escaped != 0) {
            out.push_back(escaped);
            ++i;
        } else {
            // An ampersand before an unknown letter or at the end of the line stays as it is.
            out.push_back(text[i]);
        }
    }
    return out;
}

std::optional<SettingsLine> ParseSettingsLine(std::string_view line, bool wantPreset) {
    const std::string unescaped = UnescapeLine(line);
    std::string_view rest = TrimTrailingBlanks(unescaped);
    SettingsLine parsed;
    if (wantPreset) {
        // The preset field is read whole even at three characters ("005" is preset 5).
        const auto colon = rest.find(':');
        if (colon == std::string_view::npos || colon == 0 || colon > 3)
            return std::nullopt;
        const std::int64_t preset = ReadLeadingInteger(rest.substr(0, colon));
        if (preset < 0 || preset >= kPresetCount)
            return std::nullopt;
        parsed.preset = static_cast<int>(preset);
        rest.remove_prefix(colon + 1);
    }
    const auto equals = rest.find('=');
    if (equals == std::string_view::npos || equals == 0 || equals > 60)
        return std::nullopt;
    if (rest.size() - equals - 1 > 60)
        return std::nullopt;
    parsed.key = rest.substr(0, equals);
    parsed.value = rest.substr(equals + 1);
    return parsed;
}

void RunningChecksum::Add(std::string_view text) {
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c > 0x7E)
            continue;
        sum_ += static_cast<std::uint32_t>((counter_ ^ c) * c);
        ++counter_;
    }
}

std::string RunningChecksum::Hex() const {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    std::uint32_t rest = sum_;
    do {
        hex.insert(hex.begin(), kDigits[rest & 0xF]);
        rest >>= 4;
    } while (rest != 0);
    return hex;
}

std::string SettingsChecksum(std::string_view text) {
    RunningChecksum checksum;
    checksum.Add(text);
    return checksum.Hex();
}

std::string FormatSettingsFile(const SettingStore& store) {
    const SettingCatalogue& catalogue = store.Catalogue();
    std::string body;
    body.reserve(64 * kParameterCount * kPresetCount);
    std::string line;
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (int p = 0; p < kParameterCount; ++p) {
            line = std::to_string(preset);
            line += ':';
            line += catalogue[p].key;
            line += '=';
            line += store.Text(p, preset);
            body += EscapeLine(line);
            body += '\n';
        }
    }
    std::string content = EscapeLine(std::string(kSecurityTokenKey) + "=" + SettingsChecksum(body));
    content += '\n';
    content += body;
    return content;
}

SettingsFileStatus SaveSettingsStore(const SettingStore& store, const std::string& path,
                                     std::string* reason) {
    return ReplaceFileContent(path, FormatSettingsFile(store), reason)
               ? SettingsFileStatus::Ok
               : SettingsFileStatus::CannotWrite;
}

SettingsFileStatus LoadSettingsStore(SettingStore& store, const std::string& path,
                                     std::string* reason) {
    std::string content, why;
    const ReadStatus read = ReadWholeFile(path, kMaxSettingsFileSize, content, why);
    if (reason != nullptr)
        *reason = why;
    if (read == ReadStatus::CannotOpen)
        return SettingsFileStatus::CannotOpen;
    if (read != ReadStatus::Ok)
        return SettingsFileStatus::InvalidFormat;
    return LoadSettingsContent(store, content);
}

SettingsFileStatus LoadSettingsContent(SettingStore& store, std::string_view content) {
    if (content.size() > kMaxSettingsFileSize)
        return SettingsFileStatus::InvalidFormat;
    std::string_view rest = content, line;
    if (!NextLine(rest, line) || line.size() > kMaxKeptLine)
        return SettingsFileStatus::InvalidFormat;
    const auto token = ParseSettingsLine(line, false);
    if (!token || token->key != kSecurityTokenKey)
        return SettingsFileStatus::InvalidFormat;

    const SettingCatalogue& catalogue = store.Catalogue();
    auto values = std::make_unique<ValueTable>();
    for (auto& presets : *values)
        presets.fill(std::string(kUnsetMarker));

    // Everything after the first line counts, exactly as read.
    const std::string checksum = SettingsChecksum(rest);
    while (NextLine(rest, line)) {
        if (line.size() > kMaxKeptLine)
            continue;
        const auto entry = ParseSettingsLine(line, true);
        if (!entry)
            continue;
        const int p = catalogue.Find(entry->key);
        if (p < 0)
            continue;
        (*values)[p][entry->preset] = entry->value.substr(0, kMaxValueLength);
    }
    if (checksum != token->value)
        return SettingsFileStatus::Corrupted;

    store.ResetAllToDefaults();
    GuardLog& guard = store.Guard();
    guard.BeginGuard(kLoadingFromFile);
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (int p = 0; p < kParameterCount; ++p) {
            std::string& value = (*values)[p][preset];
            if (value == kUnsetMarker) {
                value = catalogue.Default(p);
                guard.LogMissing(catalogue[p].key, preset, value);
            }
            store.SetSetting(p, preset, value);
        }
    }
    return SettingsFileStatus::Ok;
}

std::optional<StatusMessage> MessageFor(SettingsFileStatus status) {
    switch (status) {
        case SettingsFileStatus::Ok:
            return std::nullopt;
        case SettingsFileStatus::CannotWrite:
            return StatusMessage{"File error", "Could not save settings file",
                                 MessageIcon::Warning};
        case SettingsFileStatus::CannotOpen:
            return StatusMessage{"Vyr file guard", "Could not open settings file for reading.",
                                 MessageIcon::Warning};
        case SettingsFileStatus::InvalidFormat:
            return StatusMessage{"Vyr file guard",
                                 "The settings file has an invalid format and cannot be read.",
                                 MessageIcon::Error};
        case SettingsFileStatus::Corrupted:
            return StatusMessage{"Vyr file guard",
                                 "The settings file has been corrupted and cannot be read.",
                                 MessageIcon::Warning};
    }
    return std::nullopt;
}

std::string WithSettingsExtension(std::string path) {
    if (!path.ends_with(kSettingsFileExtension))
        path += kSettingsFileExtension;
    return path;
}

}  // namespace vyr
