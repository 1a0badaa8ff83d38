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
    // Rules that read another parameter of the same preset need a real preset.
    const bool inPreset = SettingCatalogue::IsValidPreset(preset);
    std::string replacement(catalogue_.Default(parameter));
    bool valid = true;

    switch (entry.kind) {
        case ConstraintKind::Unchecked:
        case ConstraintKind::Text:
            break;

        case ConstraintKind::Boolean:
            if (inPreset && parameter == param::rec_var_autostop_enabled &&
                IsValue(param::rec_var_active_after_boot, preset, "0") && text == "1") {
                // Auto-stop without voice-activated recording is switched off silently.
                text = "0";
                break;
            }
            if (inPreset &&
                (parameter == param::allow_set_bitrate ||
                 parameter == param::allow_set_sample_rate) &&
                IsValue(param::allow_set_format, preset, "1") && text == "0") {
                valid = false;
                replacement = "1";
                break;
            }
            valid = ReadLeadingInteger(text) == 0 || ReadLeadingInteger(text) == 1;
            break;

        case ConstraintKind::Range: {
            if (inPreset && parameter == param::li_adv) {
                // The look-ahead is limited to 10 ms at the preset's sample rate.
                if (auto rate = ParseWholeInteger(Text(param::rec_sample_rate, preset))) {
                    catalogue_.Entry(parameter).max = *rate / 100;
                }
            }
            const auto def = ParseWholeInteger(replacement);
            if (!def || *def < entry.min || *def > entry.max)
                replacement = std::to_string(entry.min);
            const std::int64_t value = ReadLeadingInteger(text);
            valid = value >= entry.min && value <= entry.max;
            break;
        }

        case ConstraintKind::Choice:
            if (inPreset) {
                if (auto coupled =
                        FormatCoupledChoice(entry, text, Text(param::rec_file_format, preset))) {
                    valid = false;
                    replacement = *coupled;
                    break;
                }
            }
            valid = entry.HasChoice(text);
            break;
    }

    if (!valid) {
        guard_.LogInvalid(entry.key, preset, text, replacement);
        text = replacement;
    }
    StoreSetting(parameter, preset, text);
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
