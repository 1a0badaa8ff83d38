#include "device/microphone.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "settings/text.h"

namespace vyr {

const std::array<MicValueSpec, kMicValueCount> kMicValues = {{
    {"mic_sensitivity", MicValueKind::Sensitivity},
    {"mic_filter1_freq", MicValueKind::Frequency},
    {"mic_filter2_freq", MicValueKind::Frequency},
    {"mic_filter3_freq", MicValueKind::Frequency},
    {"mic_filter1_gain", MicValueKind::Gain},
    {"mic_filter2_gain", MicValueKind::Gain},
    {"mic_filter3_gain", MicValueKind::Gain},
    {"mic_filter1_q", MicValueKind::Q},
    {"mic_filter2_q", MicValueKind::Q},
    {"mic_filter3_q", MicValueKind::Q},
    {"mic_filter1_enable", MicValueKind::Switch},
    {"mic_filter2_enable", MicValueKind::Switch},
    {"mic_filter3_enable", MicValueKind::Switch},
}};

namespace {

// A kind's range and repairs. An entry more than `slack` below range.min is replaced by
// range.min, one above range.max by range.max, an unreadable one by `unreadable`.
struct KindRule {
    MicValueKind kind;
    MicRange range;
    double slack;
    double unreadable;
};

constexpr KindRule kKindRules[] = {
    {MicValueKind::Sensitivity, {-60, 0, 0, true}, 0, 0},
    {MicValueKind::Frequency, {20, 16000, 0, false}, 0, 20},
    {MicValueKind::Gain, {-6, 6, 1, false}, 0, 0},
    // 0.19999 passes: it shows as 0.2.
    {MicValueKind::Q, {0.2, 3, 1, false}, 0.00001, 0.7},
    {MicValueKind::Switch, {0, 1, 0, true}, 0, 0},
};

const KindRule& RuleFor(MicValueKind kind) {
    for (const KindRule& rule : kKindRules) {
        if (rule.kind == kind)
            return rule;
    }
    return kKindRules[0];  // every kind has its row
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "%.*f" in the C locale. The buffer holds the largest double's 309 digits and the decimals.
std::string FormatFixed(double value, int decimals) {
    char text[512];
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return ec == std::errc{} ? std::string(text, end) : std::string();
}

// The shortest text that reads back as `value`, in the C locale: "16000", "0.2", "-6".
std::string FormatShortest(double value) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc{} ? std::string(text, end) : std::string();
}

std::string FormatInteger(long value) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc{} ? std::string(text, end) : std::string("0");
}

}  // namespace

std::optional<std::size_t> FindMicValue(std::string_view key) {
    for (std::size_t i = 0; i < kMicValues.size(); ++i) {
        if (kMicValues[i].key == key)
            return i;
    }
    return std::nullopt;
}

std::optional<int> MicTypeFromLetter(std::string_view letter) {
    if (letter.size() != 1)
        return std::nullopt;
    char c = letter[0];
    if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    if (c < 'a' || c >= 'a' + kMicTypeCount)
        return std::nullopt;
    return c - 'a';
}

char MicTypeLetter(int type) {
    return static_cast<char>('a' + type);
}

std::string MicValuePath(int type, std::string_view key) {
    return std::string(serial_link::path::kMics) + MicTypeLetter(type) + "/" + std::string(key);
}

MicRange MicValueRange(MicValueKind kind) {
    return RuleFor(kind).range;
}

std::string MicRangeText(MicValueKind kind) {
    const MicRange range = MicValueRange(kind);
    if (kind == MicValueKind::Switch)
        return FormatShortest(range.max) + " or " + FormatShortest(range.min);
    return (range.whole ? "a whole number " : "") + FormatShortest(range.min) + ".." +
           FormatShortest(range.max);
}

std::optional<double> ParseMicNumber(std::string_view text) {
    text = TrimBlanks(text);
    // One leading plus is a sign like the minus; from_chars takes only the minus.
    if (text.starts_with('+') && text.size() > 1 && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

MicCheck CheckMicEntry(MicValueKind kind, std::string_view entered) {
    MicCheck check;
    if (kind == MicValueKind::Switch) {
        const std::string_view text = TrimBlanks(entered);
        check.valid = text == "1" || text == "0";
        check.display = text == "1" ? "1" : "0";
        check.deviceText = check.display + "\n";
        return check;
    }
    const KindRule& rule = RuleFor(kind);
    std::optional<double> number;
    if (rule.range.whole) {
        if (const auto whole = ParseWholeInteger(TrimBlanks(entered)))
            number = *whole;
    } else {
        std::string text(entered);
        if (const auto comma = text.find(','); comma != std::string::npos)
            text[comma] = '.';
        number = ParseMicNumber(text);
    }
    double value = rule.unreadable;
    if (number && *number < rule.range.min - rule.slack) {
        value = rule.range.min;
    } else if (number && *number > rule.range.max) {
        value = rule.range.max;
    } else if (number) {
        value = *number;
        check.valid = true;
    }
    check.display = FormatFixed(value, rule.range.decimals);
    check.deviceText = check.display + "\n";
    return check;
}

std::optional<std::string> InterpretMicValue(MicValueKind kind, std::string_view deviceText) {
    const std::string_view text = TrimTrailingBlanks(deviceText);
    switch (kind) {
        case MicValueKind::Sensitivity:
        case MicValueKind::Frequency:
        case MicValueKind::Switch: {
            const auto whole = ParseWholeInteger(text);
            if (!whole)
                return std::nullopt;
            if (kind == MicValueKind::Switch)
                return std::string(*whole == 1 ? "1" : "0");
            return FormatInteger(*whole);
        }
        case MicValueKind::Gain:
        case MicValueKind::Q: {
            const auto number = ParseMicNumber(text);
            if (!number)
                return std::nullopt;
            return FormatFixed(*number, RuleFor(kind).range.decimals);
        }
    }
    return std::nullopt;
}

MicReadResult ReadMicCalibration(DeviceConnection& connection, int type, Progress& progress) {
    MicReadResult result;
    serial_link::LinkHold hold(connection.link);
    for (const MicValueSpec& value : kMicValues) {
        // A cancelled read stops here and is incomplete.
        if (progress.CancelRequested())
            break;
        auto text = serial_link::ReadRemoteFile(hold, MicValuePath(type, value.key),
                                                serial_link::Match::Strict);
        if (!text)
            break;
        text->resize(std::min(text->size(), kMicValueTextSize));
        result.texts[result.read++] = std::move(*text);
    }
    return result;
}

MicWriteResult WriteMicCalibration(DeviceConnection& connection, int type,
                                   const MicValueTexts& texts) {
    MicWriteResult result;
    serial_link::LinkHold hold(connection.link);
    for (std::size_t i = 0; i < kMicValueCount; ++i) {
        if (!serial_link::WriteRemoteFile(hold, MicValuePath(type, kMicValues[i].key), texts[i]))
            break;
        ++result.written;
    }
    return result;
}

}  // namespace vyr
