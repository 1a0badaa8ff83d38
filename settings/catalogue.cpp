#include "catalogue.h"

#include <algorithm>
#include <initializer_list>

namespace vyr {

namespace {

constexpr int kNone = -1;

struct Row {
    std::string_view key;
    bool global;
    int level;
    ConstraintKind kind;
    int min, max;
    std::initializer_list<std::string_view> choices;
    std::string_view defaultValue;
    std::string_view permission;  // key of the allow_ parameter, or empty
};

constexpr auto B = ConstraintKind::Boolean;
constexpr auto R = ConstraintKind::Range;
constexpr auto C = ConstraintKind::Choice;
constexpr auto T = ConstraintKind::Text;
constexpr bool G = true;   // global
constexpr bool P = false;  // per preset

// clang-format off
const Row kRows[kParameterCount] = {
    {"mic_label",                    G, 3, T, 0, 0, {}, "Station_ID", ""},
    {"combine_label_prefix",         G, 3, B, 0, 0, {}, "1", ""},
    {"preset_name",                  P, 4, T, 0, 0, {}, "Factory_settings", ""},
    {"presets_enabled",              G, 4, B, 0, 0, {}, "0", ""},
    {"allow_switch_ilm_roi",         P, 4, B, 0, 0, {}, "1", ""},
    {"allow_switch_ilm_li",          P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_time",               P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_preset",             G, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_messaging",          P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_filename_prefix",    P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_format",             P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_bitrate",            P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_mic_gain",           P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_line_gain",          P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_output_selection",   P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_lineout_level",      P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_hp_level",           P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_sample_rate",        P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_filename_date",      P, 4, B, 0, 0, {}, "1", ""},
    {"allow_set_file_stereo",        P, 4, B, 0, 0, {}, "1", ""},
    {"allow_edit_meta_data",         P, 4, B, 0, 0, {}, "1", ""},
    {"rec_monitoring_while_record",  P, 4, B, 0, 0, {}, "1", ""},
    {"rec_mic_level",                P, 4, R, 0, 60, {}, "25", "allow_set_mic_gain"},
    {"rec_line_level",               P, 4, R, -15, 30, {}, "0", "allow_set_line_gain"},
    {"rec_var_active_after_boot",    P, 4, B, 0, 0, {}, "0", ""},
    {"rec_var_start_threshold",      P, 4, R, -50, 0, {}, "-5", ""},
    {"rec_var_stop_threshold",       P, 4, R, -50, 0, {}, "-25", ""},
    {"rec_var_hold_time",            P, 4, R, 1, 300, {}, "15", ""},
    {"rec_var_autostop_enabled",     P, 4, B, 0, 0, {}, "0", ""},
    {"rec_buffer_mode_after_boot",   P, 4, B, 0, 0, {}, "0", ""},
    {"rec_buffer_length",            P, 4, R, 1, 30, {}, "10", ""},
    {"rec_presence_filter_on",       P, 4, B, 0, 0, {}, "0", ""},
    {"rec_presence_filter_gain",     P, 4, R, 1, 6, {}, "3", ""},
    {"rec_highpass_on",              P, 4, B, 0, 0, {}, "1", ""},
    {"rec_highpass_freq",            P, 4, C, 0, 0, {"80", "100", "120", "150", "180", "200"}, "80", ""},
    {"rec_break_mode",               P, 4, C, 0, 0, {"marker", "split", "pause"}, "marker", ""},
    {"rec_stop_double",              P, 4, B, 0, 0, {}, "0", ""},
    {"rec_file_format",              P, 4, C, 0, 0, {"WAV", "BWF", "MP2"}, "WAV", "allow_set_format"},
    {"rec_sample_rate",              P, 4, C, 0, 0, {"32000", "44100", "48000"}, "48000", "allow_set_sample_rate"},
    {"rec_bitrate",                  P, 4, C, 0, 0, {"128", "160", "192", "---"}, "---", "allow_set_bitrate"},
    {"rec_file_stereo",              P, 4, B, 0, 0, {}, "0", "allow_set_file_stereo"},
    {"rec_filename_prefix",          P, 4, T, 0, 0, {}, "_Vyr_serial_number_", "allow_set_filename_prefix"},
    {"combine_date_prefix",          P, 4, C, 0, 0, {"none", "date only", "time only", "date and time"}, "none", "allow_set_filename_date"},
    {"rec_meta_description0",        P, 4, T, 0, 0, {}, "Vyr default recording description", ""},
    {"rec_meta_description1",        P, 4, T, 0, 0, {}, "", ""},
    {"rec_meta_description2",        P, 4, T, 0, 0, {}, "", ""},
    {"rec_meta_description3",        P, 4, T, 0, 0, {}, "", ""},
    {"rec_meta_description4",        P, 4, T, 0, 0, {}, "", ""},
    {"rec_meta_originator",          P, 4, T, 0, 0, {}, "Vyr default originator", ""},
    {"rec_meta_cc",                  P, 4, T, 0, 0, {}, "CC", ""},
    {"rec_meta_ooo",                 P, 4, T, 0, 0, {}, "OOO", ""},
    {"play_continuous_playback",     P, 4, C, 0, 0, {"continuous", "single file"}, "single file", ""},
    {"play_playback_start_position", P, 4, C, 0, 0, {"start of recorded file", "resume previous position"}, "start of recorded file", ""},
    {"play_output_selection",        P, 4, C, 0, 0, {"Headphone", "Lineout", "Lineout (balanced)"}, "Headphone", "allow_set_output_selection"},
    {"play_headset_level",           P, 4, R, -68, 0, {}, "-10", "allow_set_hp_level"},
    {"play_lineout_level",           P, 4, R, -68, 0, {}, "0", "allow_set_lineout_level"},
    {"mess_enabled",                 P, 4, B, 0, 0, {}, "1", "allow_set_messaging"},
    {"mess2_empty_battery",          P, 4, B, 0, 0, {}, "1", ""},
    {"mess2_full_memory",            P, 4, B, 0, 0, {}, "1", ""},
    {"mess2_file_nr_on_mode",        P, 4, B, 0, 0, {}, "1", ""},
    {"mess2_file_nr_play_mode",      P, 4, B, 0, 0, {}, "1", ""},
    {"mess2_level",                  P, 4, R, -68, 0, {}, "-10", ""},
    {"pm_prefered_power_source",     P, 4, C, 0, 0, {"battery", "accu"}, "accu", ""},
    {"pm_shutdown_enable",           P, 4, B, 0, 0, {}, "0", ""},
    {"pm_shutdown_onvar",            P, 4, B, 0, 0, {}, "0", ""},
    {"pm_shutdown_time",             P, 4, R, 10, 179, {}, "60", ""},
    {"rtc_autosync",                 G, 4, B, 0, 0, {}, "1", ""},
    {"he_th",                        P, 2, R, 0, 32767, {}, "25716", ""},
    {"he_pga_down",                  P, 2, R, -36, 0, {}, "-12", ""},
    {"he_step_timeout",              P, 2, R, 0, 20, {}, "1", ""},
    {"he_max_overs",                 P, 2, R, 1, 10, {}, "1", ""},
    {"roi_enable",                   P, 4, B, 0, 0, {}, "1", "allow_switch_ilm_roi"},
    {"roi_up_th",                    P, 4, R, 0, 32767, {}, "11614", ""},
    {"roi_pga_down",                 P, 2, R, -6, 0, {}, "-1", ""},
    {"roi_pga_down_hold",            P, 2, R, 0, 20, {}, "4", ""},
    {"roi_att",                      P, 2, R, 0, 10, {}, "1", ""},
    {"roi_low_th",                   P, 4, R, 0, 32767, {}, "4148", ""},
    {"roi_pga_up",                   P, 2, R, 0, 6, {}, "1", ""},
    {"roi_pga_up_hold",              P, 2, R, 0, 20, {}, "6", ""},
    {"roi_rel",                      P, 2, R, 0, 10, {}, "1", ""},
    {"roi_no_th",                    P, 4, R, 0, 32767, {}, "2061", ""},
    {"li_enable",                    P, 4, B, 0, 0, {}, "1", "allow_switch_ilm_li"},
    {"li_th",                        P, 4, R, 0, 32767, {}, "16384", ""},
    {"li_att",                       P, 4, R, 0, 16, {}, "4", ""},
    {"li_rel",                       P, 4, R, 0, 16, {}, "14", ""},
    {"li_adv",                       P, 4, R, 0, 480, {}, "34", ""},
};
// clang-format on

int FindRow(std::string_view key) {
    for (int i = 0; i < kParameterCount; ++i) {
        if (kRows[i].key == key)
            return i;
    }
    return kNone;
}

}  // namespace

bool SettingConstraint::HasChoice(std::string_view text) const {
    return std::find(choices.begin(), choices.begin() + count, text) != choices.begin() + count;
}

SettingCatalogue::SettingCatalogue() {
    for (int i = 0; i < kParameterCount; ++i) {
        const Row& row = kRows[i];
        SettingConstraint& e = entries_[i];
        e.index = i;
        e.permission = row.permission.empty() ? kNone : FindRow(row.permission);
        e.accessLevel = row.level;
        e.key = row.key;
        e.global = row.global;
        e.kind = row.kind;
        e.min = row.min;
        e.max = row.max;
        e.count = static_cast<std::uint8_t>(std::min<std::size_t>(row.choices.size(), kMaxChoices));
        std::copy_n(row.choices.begin(), e.count, e.choices.begin());
        e.defaultValue = row.defaultValue;
    }
}

int SettingCatalogue::Find(std::string_view key) const {
    for (const SettingConstraint& e : entries_) {
        if (e.key == key)
            return e.index;
    }
    return kNone;
}

std::string_view SettingCatalogue::Default(int parameter) const {
    return entries_[parameter].defaultValue.substr(0, kMaxValueLength);
}

std::string_view PresetName(int preset) {
    static constexpr std::string_view kNames[kPresetCount] = {
        "DEFAULT",  "PRESET 1", "PRESET 2", "PRESET 3", "PRESET 4",
        "PRESET 5", "PRESET 6", "PRESET 7", "PRESET 8", "PRESET 9"};
    return SettingCatalogue::IsValidPreset(preset) ? kNames[preset] : std::string_view();
}

}  // namespace vyr
