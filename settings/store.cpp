#include "store.h"

#include <algorithm>

#include "text.h"

namespace vyr {

SettingStore::SettingStore(SettingCatalogue& catalogue, GuardLog& guard)
    : catalogue_(catalogue), guard_(guard) {
    ResetAllToDefaults();
}

std::string_view SettingStore::Text(int parameter, int preset) const {
    if (!SettingCatalogue::IsValidParameter(parameter) ||
        !SettingCatalogue::IsValidPreset(preset)) {
        return {};
    }
    return slots_[parameter][preset].View();
}

bool SettingStore::Enabled(int parameter, int preset) const {
    return SettingCatalogue::IsValidParameter(parameter) &&
           SettingCatalogue::IsValidPreset(preset) && slots_[parameter][preset].enabled;
}

void SettingStore::SetEnabled(int parameter, int preset, bool enabled) {
    if (SettingCatalogue::IsValidParameter(parameter) && SettingCatalogue::IsValidPreset(preset)) {
        slots_[parameter][preset].enabled = enabled;
    }
}

void SettingStore::StoreSetting(int parameter, int preset, std::string_view text) {
    if (!SettingCatalogue::IsValidParameter(parameter) ||
        !SettingCatalogue::IsValidPreset(preset)) {
        return;
    }
    // Stop at an embedded NUL as the fixed-size field would, and at the field's length.
    text = text.substr(0, std::min(text.find('\0'), kMaxValueLength));
    const auto store = [&](SettingSlot& slot) {
        std::copy(text.begin(), text.end(), slot.text.begin());
        slot.text[text.size()] = '\0';
    };
    if (catalogue_[parameter].global) {
        for (SettingSlot& slot : slots_[parameter])
            store(slot);
    } else {
        store(slots_[parameter][preset]);
    }
}

void SettingStore::ResetPresetToDefaults(int preset) {
    if (!SettingCatalogue::IsValidPreset(preset))
        return;
    for (int p = 0; p < kParameterCount; ++p) {
        StoreSetting(p, preset, catalogue_.Default(p));
        slots_[p][preset].enabled = true;
    }
}

void SettingStore::ResetAllToDefaults() {
    for (int preset = 0; preset < kPresetCount; ++preset)
        ResetPresetToDefaults(preset);
}

void SettingStore::AssignValues(const SettingStore& other) {
    slots_ = other.slots_;
}

std::string ToDisplayText(int parameter, std::string_view text) {
    if (parameter == param::pm_prefered_power_source && text == "accu")
        return "internal";
    return std::string(text);
}

std::string ToDeviceText(int parameter, std::string_view text) {
    if (parameter == param::pm_prefered_power_source && text == "internal")
        return "accu";
    return std::string(text);
}

std::vector<std::string_view> OfferedChoices(const SettingCatalogue& catalogue, int parameter,
                                             std::string_view format) {
    const SettingConstraint& entry = catalogue[parameter];
    const auto first = entry.choices.begin();
    const auto last = first + entry.count;
    if (parameter == param::rec_bitrate) {
        // MP2 has a data rate; every other format has only "---", the last choice.
        if (format == "MP2")
            return {first, last - 1};
        return {last - 1, last};
    }
    if (parameter == param::rec_sample_rate && format == "BWF")
        return {first + 1, last};
    return {first, last};
}

const std::vector<int>& SwitchGroup(int switchParameter) {
    // roi_rel, he_th, he_pga_down, he_step_timeout, he_max_overs, roi_up_th, roi_pga_down,
    // roi_pga_down_hold, roi_att, roi_low_th, roi_pga_up, roi_pga_up_hold, roi_no_th
    static const std::vector<int> kAutoleveling = {79, 67, 68, 69, 70, 72, 73,
                                                   74, 75, 76, 77, 78, 80};
    // li_th, li_att, li_rel, li_adv
    static const std::vector<int> kLimiter = {82, 83, 84, 85};
    static const std::vector<int> kNone;
    if (switchParameter == param::roi_enable)
        return kAutoleveling;
    if (switchParameter == param::li_enable)
        return kLimiter;
    return kNone;
}

EditRuleEffects ApplyEditRules(SettingStore& store, int parameter, int preset, int editedPreset) {
    EditRuleEffects effects;
    const std::string_view value = store.Text(parameter, preset);
    const auto storeIfDifferent = [&](int partner, std::string_view text) {
        if (store.Text(partner, preset) == text)
            return;
        store.StoreSetting(partner, preset, text);
        effects.changedValues.push_back(partner);
    };
    const auto setEnabled = [&](int target, bool enabled) {
        if (store.Enabled(target, preset) == enabled)
            return;
        store.SetEnabled(target, preset, enabled);
        effects.changedEnabled.push_back(target);
    };
    const bool isEdited = preset == editedPreset;

    switch (parameter) {
        case param::allow_set_format:
            if (value == "1") {
                storeIfDifferent(param::allow_set_bitrate, "1");
                storeIfDifferent(param::allow_set_sample_rate, "1");
            }
            break;
        case param::allow_set_bitrate:
        case param::allow_set_sample_rate:
            if (value == "0")
                storeIfDifferent(param::allow_set_format, "0");
            break;
        case param::rec_var_active_after_boot:
            if (value != "1")
                storeIfDifferent(param::rec_var_autostop_enabled, "0");
            if (isEdited)
                setEnabled(param::rec_var_autostop_enabled, value == "1");
            break;
        case param::roi_enable:
        case param::li_enable:
            if (isEdited) {
                const bool on = ParseWholeInteger(value) == 1;
                for (int target : SwitchGroup(parameter))
                    setEnabled(target, on);
            }
            break;
        default:
            break;
    }
    return effects;
}

}  // namespace vyr
