// The fixed, ordered catalogue of the device's 86 parameters.
//
// Index order is binding: it is the transfer order and the order of lines in settings files.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vyr {

inline constexpr int kParameterCount = 86;
inline constexpr int kPresetCount = 10;
// A stored value holds at most this many characters.
inline constexpr std::size_t kMaxValueLength = 59;
inline constexpr int kMaxChoices = 6;

enum class ConstraintKind : std::int32_t {
    Unchecked = -1,
    Boolean = 0,
    Range = 1,
    Choice = 2,
    Text = 3
};

// Catalogue indices the rules refer to by name.
namespace param {
inline constexpr int mic_label = 0;
inline constexpr int presets_enabled = 3;
inline constexpr int allow_set_format = 10;
inline constexpr int allow_set_bitrate = 11;
inline constexpr int allow_set_sample_rate = 17;
inline constexpr int rec_var_active_after_boot = 24;
inline constexpr int rec_var_autostop_enabled = 28;
inline constexpr int rec_file_format = 37;
inline constexpr int rec_sample_rate = 38;
inline constexpr int rec_bitrate = 39;
inline constexpr int rec_filename_prefix = 41;
inline constexpr int play_output_selection = 53;
inline constexpr int pm_prefered_power_source = 62;
inline constexpr int pm_shutdown_time = 65;
inline constexpr int rtc_autosync = 66;
inline constexpr int he_th = 67;
inline constexpr int roi_enable = 71;
inline constexpr int li_enable = 81;
inline constexpr int li_adv = 85;
}  // namespace param

struct SettingConstraint {
    std::int32_t index = 0;
    std::int32_t permission = -1;  // index of the allow_ parameter naming it, or -1
    std::int32_t accessLevel = 4;  // largest user level that may edit it
    std::string_view key;
    bool global = false;
    ConstraintKind kind = ConstraintKind::Unchecked;
    std::int32_t min = 0;  // Range, inclusive
    std::int32_t max = 0;
    std::uint8_t count = 0;  // Choice
    std::array<std::string_view, kMaxChoices> choices{};
    std::string_view defaultValue;

    bool HasChoice(std::string_view text) const;
};

class SettingCatalogue {
  public:
    // Fills all 86 entries.
    SettingCatalogue();

    const SettingConstraint& operator[](int parameter) const { return entries_[parameter]; }
    // For tests that build a catalogue with a design error.
    SettingConstraint& Entry(int parameter) { return entries_[parameter]; }

    // Index of a key, or -1.
    int Find(std::string_view key) const;

    // Default value, cut to the stored length.
    std::string_view Default(int parameter) const;

    static bool IsValidParameter(int parameter) {
        return parameter >= 0 && parameter < kParameterCount;
    }
    static bool IsValidPreset(int preset) { return preset >= 0 && preset < kPresetCount; }

  private:
    std::array<SettingConstraint, kParameterCount> entries_;
};

// Display names of the presets: "DEFAULT", "PRESET 1" .. "PRESET 9".
std::string_view PresetName(int preset);

}  // namespace vyr
