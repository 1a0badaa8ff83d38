// Microphone calibration: for each of the 19 capsule types (letters a..s) a sensitivity and
// three parametric filters, thirteen values kept in files /chroma/mics/<type>/<key>. Reading
// and writing one type, and the rules that check, repair and format each value. Numbers are
// read and written in the C locale's notation whatever the process locale is.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "device/connection.h"
#include "device/progress.h"

namespace vyr {

inline constexpr int kMicTypeCount = 19;
inline constexpr std::size_t kMicValueCount = 13;
// A value text holds at most this many characters; a longer answer is cut.
inline constexpr std::size_t kMicValueTextSize = 60;

enum class MicValueKind { Sensitivity, Frequency, Gain, Q, Switch };

struct MicValueSpec {
    std::string_view key;
    MicValueKind kind;
};

// The thirteen values in index order: the order they are read, written and listed.
extern const std::array<MicValueSpec, kMicValueCount> kMicValues;

// The index of a key, or nothing.
std::optional<std::size_t> FindMicValue(std::string_view key);

// Type index 0..18 from its letter "a".."s" (either case); nothing for anything else.
std::optional<int> MicTypeFromLetter(std::string_view letter);
char MicTypeLetter(int type);  // 'a'..'s'
// "/chroma/mics/<letter>/<key>"
std::string MicValuePath(int type, std::string_view key);

// A number written as a whole in the C locale's notation (leading and trailing blanks
// allowed); nothing for any other text, "nan" and infinities included.
std::optional<double> ParseMicNumber(std::string_view text);

// The values an entry of `kind` may take as the calibration dialog checks its field: min..max
// with both ends, shown with `decimals` decimals; a whole-number kind takes no fraction at
// all, a switch only 1 and 0. A Q a hair below its minimum (down to 0.19999) still passes and
// shows as the minimum.
struct MicRange {
    double min = 0;
    double max = 0;
    int decimals = 0;
    bool whole = false;
};

MicRange MicValueRange(MicValueKind kind);

// The range as messages name it: "a whole number -60..0", "20..16000", "-6..6", "0.2..3", and
// "1 or 0" for a switch.
std::string MicRangeText(MicValueKind kind);

// An entered value checked as the calibration dialog checks a field: the text with its first
// comma read as a point, range-checked, a bad entry replaced.
struct MicCheck {
    bool valid = false;
    std::string display;     // what the field shows afterwards
    std::string deviceText;  // what is written to the device: the shown value and "\n"
};

// `entered` is the field's text; for the sensitivity a whole number, for a switch "1" or "0".
MicCheck CheckMicEntry(MicValueKind kind, std::string_view entered);

// What a control shows for a value text read from the device (trailing white space
// ignored): the sensitivity and a frequency as whole numbers, gain and Q in their display
// format, a switch as "1" when the text is the number 1 and "0" for any other number.
// Nothing when the text cannot be interpreted.
std::optional<std::string> InterpretMicValue(MicValueKind kind, std::string_view deviceText);

using MicValueTexts = std::array<std::string, kMicValueCount>;

struct MicReadResult {
    std::size_t read = 0;  // values read, from index 0 on; the read stops at the first failure
    MicValueTexts texts;   // the texts read, each cut to kMicValueTextSize characters
    // Only a complete read may be shown and confirmed.
    bool Complete() const { return read == kMicValueCount; }
};

// Reads the thirteen values of one type under one hold of the link lock.
MicReadResult ReadMicCalibration(DeviceConnection& connection, int type,
                                 Progress& progress = NoProgress());

struct MicWriteResult {
    std::size_t written = 0;  // values the device stored, from index 0 on
    bool Complete() const { return written == kMicValueCount; }
};

// Writes the thirteen value texts (as CheckMicEntry prepared them) under one hold of the link
// lock, stopping at the first value the device does not store.
MicWriteResult WriteMicCalibration(DeviceConnection& connection, int type,
                                   const MicValueTexts& texts);

}  // namespace vyr
