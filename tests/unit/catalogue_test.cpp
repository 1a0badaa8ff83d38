#include <gtest/gtest.h>

#include <set>

#include "test_support.h"

namespace vyr {
namespace {

using test::Model;

TEST(Catalogue, SelfCheckAcceptsEveryDefault) {
    Model m;
    m.guard.LogMissing("leftover", 1, "x");  // the check starts from an empty log
    EXPECT_TRUE(CheckCatalogue(m.store));
    EXPECT_EQ(m.Log(), "");
}

TEST(Catalogue, SelfCheckReportsADefaultThatBreaksItsConstraint) {
    Model m;
    m.catalogue.Entry(m.Index("rec_mic_level")).defaultValue = "99";
    m.catalogue.Entry(m.Index("rec_break_mode")).defaultValue = "Marker";
    EXPECT_FALSE(CheckCatalogue(m.store));
    const std::string expected =
        "    parameter: \"rec_mic_level\" preset: #-1 invalid_value: \"99\" new value: \"0\"\n"
        "    parameter: \"rec_break_mode\" preset: #-1 invalid_value: \"Marker\" new value: "
        "\"Marker\"\n";
    EXPECT_EQ(m.Log(), expected);
    EXPECT_EQ(WideToUtf8(DesignErrorText(m.guard)),
              "Dear Developer,\nYour GUI doesn't match with your setting constraints !\n\n" +
                  expected + "\n");
}

TEST(Catalogue, KeysAreUniqueAndNamedIndicesMatchTheirKeys) {
    Model m;
    std::set<std::string_view> keys;
    for (int p = 0; p < kParameterCount; ++p) {
        EXPECT_EQ(m.catalogue[p].index, p);
        EXPECT_EQ(m.catalogue.Find(m.catalogue[p].key), p);
        keys.insert(m.catalogue[p].key);
    }
    EXPECT_EQ(keys.size(), 86u);
    EXPECT_EQ(m.catalogue.Find("no_such_key"), -1);

    const std::pair<int, std::string_view> named[] = {
        {param::mic_label, "mic_label"},
        {param::presets_enabled, "presets_enabled"},
        {param::allow_set_format, "allow_set_format"},
        {param::allow_set_bitrate, "allow_set_bitrate"},
        {param::allow_set_sample_rate, "allow_set_sample_rate"},
        {param::rec_var_active_after_boot, "rec_var_active_after_boot"},
        {param::rec_var_autostop_enabled, "rec_var_autostop_enabled"},
        {param::rec_file_format, "rec_file_format"},
        {param::rec_sample_rate, "rec_sample_rate"},
        {param::rec_bitrate, "rec_bitrate"},
        {param::rec_filename_prefix, "rec_filename_prefix"},
        {param::play_output_selection, "play_output_selection"},
        {param::pm_prefered_power_source, "pm_prefered_power_source"},
        {param::pm_shutdown_time, "pm_shutdown_time"},
        {param::rtc_autosync, "rtc_autosync"},
        {param::he_th, "he_th"},
        {param::roi_enable, "roi_enable"},
        {param::li_enable, "li_enable"},
        {param::li_adv, "li_adv"},
    };
    for (const auto& [index, key] : named)
        EXPECT_EQ(m.catalogue[index].key, key);
}

TEST(Catalogue, ScopesLevelsAndPermissions) {
    Model m;
    int globals = 0;
    for (int p = 0; p < kParameterCount; ++p)
        globals += m.catalogue[p].global ? 1 : 0;
    EXPECT_EQ(
        globals,
        5);  // mic_label, combine_label_prefix, presets_enabled, allow_set_preset, rtc_autosync
    EXPECT_TRUE(m.catalogue[m.Index("rtc_autosync")].global);
    EXPECT_EQ(m.catalogue[m.Index("he_th")].accessLevel, 2);
    EXPECT_EQ(m.catalogue[m.Index("roi_up_th")].accessLevel, 4);
    EXPECT_EQ(m.catalogue[m.Index("mic_label")].accessLevel, 3);
    EXPECT_EQ(m.catalogue[m.Index("rec_mic_level")].permission, m.Index("allow_set_mic_gain"));
    EXPECT_EQ(m.catalogue[m.Index("li_enable")].permission, m.Index("allow_switch_ilm_li"));
    EXPECT_EQ(m.catalogue[m.Index("li_th")].permission, -1);
    const auto& bitrate = m.catalogue[param::rec_bitrate];
    EXPECT_EQ(bitrate.count, 4);
    EXPECT_EQ(bitrate.choices[3], "---");
    EXPECT_EQ(m.catalogue[m.Index("he_pga_down")].min, -36);
}

TEST(Catalogue, SwitchGroupsNameTheLevelControlParameters) {
    Model m;
    std::vector<std::string_view> roi, li;
    for (int p : SwitchGroup(param::roi_enable))
        roi.push_back(m.catalogue[p].key);
    for (int p : SwitchGroup(param::li_enable))
        li.push_back(m.catalogue[p].key);
    EXPECT_EQ(roi, (std::vector<std::string_view>{
                       "roi_rel", "he_th", "he_pga_down", "he_step_timeout", "he_max_overs",
                       "roi_up_th", "roi_pga_down", "roi_pga_down_hold", "roi_att", "roi_low_th",
                       "roi_pga_up", "roi_pga_up_hold", "roi_no_th"}));
    EXPECT_EQ(li, (std::vector<std::string_view>{"li_th", "li_att", "li_rel", "li_adv"}));
    EXPECT_TRUE(SwitchGroup(param::he_th).empty());
}

TEST(Catalogue, PowerSourceIsShownAsInternal) {
    EXPECT_EQ(ToDisplayText(param::pm_prefered_power_source, "accu"), "internal");
    EXPECT_EQ(ToDisplayText(param::pm_prefered_power_source, "battery"), "battery");
    EXPECT_EQ(ToDeviceText(param::pm_prefered_power_source, "internal"), "accu");
    EXPECT_EQ(ToDeviceText(param::pm_prefered_power_source, "Internal"), "Internal");
    EXPECT_EQ(ToDeviceText(35, "internal"), "internal");
}

TEST(Catalogue, OfferedChoicesFollowTheFileFormat) {
    Model m;
    using V = std::vector<std::string_view>;
    EXPECT_EQ(OfferedChoices(m.catalogue, param::rec_bitrate, "MP2"), (V{"128", "160", "192"}));
    EXPECT_EQ(OfferedChoices(m.catalogue, param::rec_bitrate, "WAV"), (V{"---"}));
    EXPECT_EQ(OfferedChoices(m.catalogue, param::rec_sample_rate, "BWF"), (V{"44100", "48000"}));
    EXPECT_EQ(OfferedChoices(m.catalogue, param::rec_sample_rate, "MP2"),
              (V{"32000", "44100", "48000"}));
    EXPECT_EQ(PresetName(0), "DEFAULT");
    EXPECT_EQ(PresetName(9), "PRESET 9");
    EXPECT_EQ(PresetName(10), "");
}

}  // namespace
}  // namespace vyr
