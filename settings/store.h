// The values of all 86 parameters in the ten presets, and the validating entry point every
// value from the device or a settings file passes through.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "guard.h"

namespace vyr {

struct SettingSlot {
    std::array<char, kMaxValueLength + 1> text{};  // always NUL-terminated
    bool enabled = false;

    std::string_view View() const { return std::string_view(text.data()); }
};

class SettingStore {
  public:
    // Starts in the start state: defaults everywhere, every slot enabled.
    SettingStore(SettingCatalogue& catalogue, GuardLog& guard);

    SettingStore(const SettingStore&) = delete;
    SettingStore& operator=(const SettingStore&) = delete;

    SettingCatalogue& Catalogue() { return catalogue_; }
    const SettingCatalogue& Catalogue() const { return catalogue_; }
    GuardLog& Guard() { return guard_; }

    std::string_view Text(int parameter, int preset) const;
    bool Enabled(int parameter, int preset) const;
    void SetEnabled(int parameter, int preset, bool enabled);

    // Raw store: at most 59 characters; a global parameter lands in all presets; a preset
    // outside 0..9 stores nothing; `enabled` is untouched.
    void StoreSetting(int parameter, int preset, std::string_view text);

    // Validating store. Cuts `text` to 59 characters, then trims and filters it in place,
    // repairs a value that breaks its constraint (one report line in the guard log) and
    // stores the result. Preset -1 only validates.
    void SetSetting(int parameter, int preset, std::string& text);

    // The inclusive range a Range parameter is validated against now: the catalogue's, except
    // the look-ahead's maximum, which is 10 ms at the working sample rate (the rate of the
    // last preset whose look-ahead was validated with a readable rate).
    struct Range {
        std::int32_t min = 0;
        std::int32_t max = 0;
    };
    Range RangeOf(int parameter) const;

    void ResetPresetToDefaults(int preset);
    // Start state: every preset at its defaults, all 860 slots enabled.
    void ResetAllToDefaults();
    // Takes all 860 values and `enabled` flags of another store (a load that completed).
    void AssignValues(const SettingStore& other);

  private:
    bool IsValue(int parameter, int preset, std::string_view value) const {
        return Text(parameter, preset) == value;
    }

    // Whether `text` breaks a rule; fills `replacement` with what is stored instead.
    // A rule may also change `text` silently.
    bool BooleanValid(int parameter, int preset, std::string& text,
                      std::string& replacement) const;
    bool RangeValid(int parameter, int preset, std::string_view text, std::string& replacement);
    bool ChoiceValid(const SettingConstraint& entry, int preset, std::string_view text,
                     std::string& replacement) const;

    SettingCatalogue& catalogue_;
    GuardLog& guard_;
    std::optional<std::int32_t> workingSampleRate_;
    std::array<std::array<SettingSlot, kPresetCount>, kParameterCount> slots_{};
};

// Start-up self-check: every default must satisfy its own constraint. Empties the guard
// log first; false when anything was reported (the log holds the lines).
bool CheckCatalogue(SettingStore& store);

// Text of the message shown when the self-check fails.
std::wstring DesignErrorText(const GuardLog& guard);

// The one mapping between a device value and the text a choice shows.
std::string ToDisplayText(int parameter, std::string_view text);
std::string ToDeviceText(int parameter, std::string_view text);

// Choices the window offers for `rec_bitrate` and `rec_sample_rate` under a file format;
// every other parameter offers its catalogue choices.
std::vector<std::string_view> OfferedChoices(const SettingCatalogue& catalogue, int parameter,
                                             std::string_view format);

// Parameters whose `enabled` flag follows `roi_enable` / `li_enable`, in switching order.
const std::vector<int>& SwitchGroup(int switchParameter);

// What the stored-value side of the edit rules changed, for the window to show.
struct EditRuleEffects {
    std::vector<int> changedValues;   // partners whose stored value changed
    std::vector<int> changedEnabled;  // parameters whose `enabled` flag changed
};

// Stored-value side of the rules that run after a value of `parameter` in `preset` was
// edited or shown; `editedPreset` is the preset the window shows.
EditRuleEffects ApplyEditRules(SettingStore& store, int parameter, int preset, int editedPreset);

}  // namespace vyr
