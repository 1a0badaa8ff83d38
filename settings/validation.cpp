// SetSetting: the validating store, and the catalogue's self-check built on it.
#include <string>

#include "store.h"
#include "text.h"

namespace vyr {

namespace {

// Cuts a text to what a slot holds, then trims trailing blanks and replaces every character
// outside the repertoire by "_". Cutting first means the value checked is the value stored.
void Clean(std::string& text) {
    text.resize(TrimTrailingBlanks(std::string_view(text).substr(0, kMaxValueLength)).size());
    text = FilterDeviceText(text);
}

// Choice rules that couple a value to the file format of the same preset. Returns the
// replacement, or nothing when the general choice rule applies.
std::optional<std::string_view> FormatCoupledChoice(const SettingConstraint& entry,
                                                    std::string_view text,
                                                    std::string_view format) {
    if (entry.index == param::rec_bitrate) {
        const std::string_view noRate = entry.choices[entry.count - 1];  // "---"
        if (format == "MP2") {
            // MP2 always needs a data rate: "---" and unknown texts both become the first rate.
            if (text == noRate || !entry.HasChoice(text))
                return entry.choices[0];
        } else if (text != noRate) {
            return noRate;
        }
        return std::nullopt;
    }
    if (entry.index == param::rec_sample_rate && format == "BWF" && text == entry.choices[0]) {
        return entry.choices[1];  // BWF has no 32000
    }
    return std::nullopt;
}

}  // namespace

void SettingStore::SetSetting(int parameter, int preset, std::string& text) {
    if (!SettingCatalogue::IsValidParameter(parameter))
        return;
    Clean(text);

    const SettingConstraint& entry = catalogue_[parameter];
    std::string replacement(catalogue_.Default(parameter));
    bool valid = true;
    switch (entry.kind) {
        case ConstraintKind::Unchecked:
        case ConstraintKind::Text:
            break;
        case ConstraintKind::Boolean:
            valid = BooleanValid(parameter, preset, text, replacement);
            break;
        case ConstraintKind::Range:
            valid = RangeValid(parameter, preset, text, replacement);
            break;
        case ConstraintKind::Choice:
            valid = ChoiceValid(entry, preset, text, replacement);
            break;
    }
    if (!valid) {
        guard_.LogInvalid(entry.key, preset, text, replacement);
        text = replacement;
    }
    StoreSetting(parameter, preset, text);
}

// Rules that read another parameter of the same preset apply only in a real preset.
bool SettingStore::BooleanValid(int parameter, int preset, std::string& text,
                                std::string& replacement) const {
    const bool inPreset = SettingCatalogue::IsValidPreset(preset);
    if (inPreset && parameter == param::rec_var_autostop_enabled &&
        IsValue(param::rec_var_active_after_boot, preset, "0") && text == "1") {
        // Auto-stop without voice-activated recording is switched off silently.
        text = "0";
        return true;
    }
    if (inPreset &&
        (parameter == param::allow_set_bitrate || parameter == param::allow_set_sample_rate) &&
        IsValue(param::allow_set_format, preset, "1") && text == "0") {
        replacement = "1";
        return false;
    }
    return ReadLeadingInteger(text) == 0 || ReadLeadingInteger(text) == 1;
}

SettingStore::Range SettingStore::RangeOf(int parameter) const {
    const SettingConstraint& entry = catalogue_[parameter];
    Range range{entry.min, entry.max};
    if (parameter == param::li_adv && workingSampleRate_)
        range.max = *workingSampleRate_ / 100;
    return range;
}

bool SettingStore::RangeValid(int parameter, int preset, std::string_view text,
                              std::string& replacement) {
    // The look-ahead is limited to 10 ms at the preset's sample rate; an unreadable rate
    // leaves the working one as it was.
    if (parameter == param::li_adv && SettingCatalogue::IsValidPreset(preset)) {
        if (auto rate = ParseWholeInteger(Text(param::rec_sample_rate, preset)))
            workingSampleRate_ = *rate;
    }
    const Range range = RangeOf(parameter);
    const auto def = ParseWholeInteger(replacement);
    if (!def || *def < range.min || *def > range.max)
        replacement = std::to_string(range.min);
    const std::int64_t value = ReadLeadingInteger(text);
    return value >= range.min && value <= range.max;
}

bool SettingStore::ChoiceValid(const SettingConstraint& entry, int preset, std::string_view text,
                               std::string& replacement) const {
    if (SettingCatalogue::IsValidPreset(preset)) {
        if (auto coupled = FormatCoupledChoice(entry, text, Text(param::rec_file_format, preset))) {
            replacement = *coupled;
            return false;
        }
    }
    return entry.HasChoice(text);
}

bool CheckCatalogue(SettingStore& store) {
    store.Guard().EmptyGuardLog();
    for (int p = 0; p < kParameterCount; ++p) {
        std::string value(store.Catalogue().Default(p));
        store.SetSetting(p, -1, value);
    }
    return store.Guard().Empty();
}

std::wstring DesignErrorText(const GuardLog& guard) {
    return L"Dear Developer,\nYour GUI doesn't match with your setting constraints !\n\n" +
           guard.Log() + L"\n";
}

}  // namespace vyr
