// Stored-value side of the rules that follow an edit.
#include <gtest/gtest.h>

#include "test_support.h"

namespace vyr {
namespace {

using test::Model;

TEST(EditRules, AllowingTheFormatAllowsBitrateAndSampleRate) {
    Model m;
    m.Store("allow_set_bitrate", 2, "0");
    m.Store("allow_set_sample_rate", 2, "0");
    m.Store("allow_set_sample_rate", 3, "0");
    auto effects = ApplyEditRules(m.store, param::allow_set_format, 2, 1);
    EXPECT_EQ(effects.changedValues,
              (std::vector<int>{param::allow_set_bitrate, param::allow_set_sample_rate}));
    EXPECT_EQ(m.Text("allow_set_bitrate", 2), "1");
    EXPECT_EQ(m.Text("allow_set_sample_rate", 2), "1");
    EXPECT_EQ(m.Text("allow_set_sample_rate", 3), "0");  // another preset
    // A format that is not allowed leaves both as they are.
    m.Store("allow_set_format", 3, "0");
    effects = ApplyEditRules(m.store, param::allow_set_format, 3, 1);
    EXPECT_TRUE(effects.changedValues.empty());
    EXPECT_EQ(m.Text("allow_set_sample_rate", 3), "0");
}

TEST(EditRules, ForbiddingBitrateOrSampleRateForbidsTheFormat) {
    Model m;
    m.Store("allow_set_sample_rate", 3, "0");
    auto effects = ApplyEditRules(m.store, param::allow_set_sample_rate, 3, 3);
    EXPECT_EQ(effects.changedValues, std::vector<int>{param::allow_set_format});
    EXPECT_EQ(m.Text("allow_set_format", 3), "0");
    EXPECT_EQ(m.Text("allow_set_format", 4), "1");
    effects = ApplyEditRules(m.store, param::allow_set_sample_rate, 3, 3);
    EXPECT_TRUE(effects.changedValues.empty());  // nothing left to change
}

TEST(EditRules, VoiceActivationGatesAutostop) {
    Model m;
    m.Store("rec_var_autostop_enabled", 1, "1");
    m.Store("rec_var_autostop_enabled", 2, "1");
    // Preset 1 is edited: value and flag follow.
    auto effects = ApplyEditRules(m.store, param::rec_var_active_after_boot, 1, 1);
    EXPECT_EQ(m.Text("rec_var_autostop_enabled", 1), "0");
    EXPECT_FALSE(m.store.Enabled(param::rec_var_autostop_enabled, 1));
    EXPECT_EQ(effects.changedEnabled, std::vector<int>{param::rec_var_autostop_enabled});
    // Preset 2 is not edited: the value follows, the flag does not.
    ApplyEditRules(m.store, param::rec_var_active_after_boot, 2, 1);
    EXPECT_EQ(m.Text("rec_var_autostop_enabled", 2), "0");
    EXPECT_TRUE(m.store.Enabled(param::rec_var_autostop_enabled, 2));
    // Switching it on again enables auto-stop in the edited preset without changing its value.
    m.Store("rec_var_active_after_boot", 1, "1");
    effects = ApplyEditRules(m.store, param::rec_var_active_after_boot, 1, 1);
    EXPECT_TRUE(m.store.Enabled(param::rec_var_autostop_enabled, 1));
    EXPECT_EQ(m.Text("rec_var_autostop_enabled", 1), "0");
    EXPECT_TRUE(effects.changedValues.empty());
}

TEST(EditRules, LevelControlSwitchesEnableTheirGroupInTheEditedPreset) {
    Model m;
    m.Store("roi_enable", 4, "0");
    ApplyEditRules(m.store, param::roi_enable, 4, 4);
    for (int p : SwitchGroup(param::roi_enable))
        EXPECT_FALSE(m.store.Enabled(p, 4));
    for (int p : SwitchGroup(param::li_enable))
        EXPECT_TRUE(m.store.Enabled(p, 4));
    EXPECT_TRUE(m.store.Enabled(param::roi_enable, 4));

    m.Store("li_enable", 5, "0");
    ApplyEditRules(m.store, param::li_enable, 5, 4);  // not the edited preset
    EXPECT_TRUE(m.store.Enabled(param::li_adv, 5));

    m.Store("roi_enable", 4, "1");
    const auto effects = ApplyEditRules(m.store, param::roi_enable, 4, 4);
    EXPECT_EQ(effects.changedEnabled.size(), SwitchGroup(param::roi_enable).size());
    for (int p : SwitchGroup(param::roi_enable))
        EXPECT_TRUE(m.store.Enabled(p, 4));
}

}  // namespace
}  // namespace vyr
