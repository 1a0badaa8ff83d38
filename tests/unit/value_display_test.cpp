#include <gtest/gtest.h>

#include "app/value_display.h"

namespace vyr::display {
namespace {

std::string Show(std::string_view adjuster, int v, Context context = {}) {
    const DisplayRow* entry = FindDisplay(adjuster);
    EXPECT_NE(entry, nullptr) << adjuster;
    return entry == nullptr ? "" : Format(entry->conversion, v, context);
}

TEST(ValueDisplay, Levels) {
    EXPECT_EQ(Show("play_headset_level_spin", -68), "-Inf dB");
    EXPECT_EQ(Show("play_headset_level_spin", -67), "-67dB");
    EXPECT_EQ(Show("mess_level_group2_spin", 0), "0dB");
    EXPECT_EQ(Show("play_lineout_level_spin", -10), "-10dBu");
    EXPECT_EQ(Show("play_lineout_level_spin", -10, {.balancedOutput = true}), "-4dBu");
    EXPECT_EQ(Show("play_lineout_level_spin", -68, {.balancedOutput = true}), "-Inf dBu");
    EXPECT_EQ(Show("pm_shutdown_time_spin", 60), "01:00");
    EXPECT_EQ(Show("pm_shutdown_time_spin", 179), "02:59");
    EXPECT_EQ(Show("pm_shutdown_time_spin", 10), "00:10");
}

TEST(ValueDisplay, Amplitudes) {
    EXPECT_EQ(Show("roi_up_th_slider", 11614), "-9.0 dB");
    EXPECT_EQ(Show("roi_low_th_slider", 4148), "-18.0 dB");
    EXPECT_EQ(Show("roi_no_th_slider", 2061), "-24.0 dB");
    EXPECT_EQ(Show("li_th_slider", 16384), "-6.0 dB");
    EXPECT_EQ(Show("li_th_slider", 32767), "0.0 dB");
    EXPECT_EQ(Show("li_th_slider", 1), "-90.3 dB");
    EXPECT_EQ(Show("li_th_slider", 0), "-Inf dB");
    EXPECT_EQ(Show("he_th_slider", 25716), "22.0 dB");  // against 2047, not full scale
}

TEST(ValueDisplay, StepsAndTimes) {
    EXPECT_EQ(Show("he_pga_down_spinbutton", -12), "-6.0 dB");
    EXPECT_EQ(Show("roi_pga_up_hold_spinbutton", 6), "300 ms");
    EXPECT_EQ(Show("he_max_overs_spinbutton", 3), "3");
    EXPECT_EQ(Show("roi_att_spinbutton", 1), "0.16 s");
    EXPECT_EQ(Show("roi_rel_spinbutton", 2), "0.38 s");
    EXPECT_EQ(Show("roi_att_spinbutton", 0), "0.00 s");
    EXPECT_EQ(Show("li_att_spinbutton", 4, {.sampleRate = 48000}), "0.7 ms");
    EXPECT_EQ(Show("li_rel_spinbutton", 14, {.sampleRate = 48000}), "753.4 ms");
    EXPECT_EQ(Show("li_adv_spinbutton", 34, {.sampleRate = 48000}), "0.71 ms");
    EXPECT_EQ(Show("li_att_spinbutton", 4), "0.8 ms");  // the working rate starts at 44100
    EXPECT_EQ(Show("li_att_spinbutton", 0), "0.0 ms");
    EXPECT_EQ(LookAheadMaximum(48000), 480);
    EXPECT_EQ(LookAheadMaximum(Context{}.sampleRate), 441);
    EXPECT_EQ(LookAheadMaximum(32000), 320);
}

TEST(ValueDisplay, EveryDisplayIsListedOnce) {
    EXPECT_EQ(DisplayCount(), 21u);
    for (std::size_t i = 0; i < DisplayCount(); ++i)
        EXPECT_EQ(FindDisplay(DisplayAt(i).adjuster), &DisplayAt(i));
    EXPECT_EQ(FindDisplay("li_enable_checkbox"), nullptr);
}

TEST(SliderRules, KeepTheThresholdsInOrder) {
    // upper >= lower >= noise floor
    EXPECT_EQ(UpperTargetMoved(4000, 4148).snapTo, 4148);
    EXPECT_TRUE(UpperTargetMoved(4148, 4148).writeDisplay());
    EXPECT_EQ(LowerTargetMoved(12000, 11614, 2061).snapTo, 11614);
    EXPECT_EQ(LowerTargetMoved(2000, 11614, 2061).snapTo, 2061);
    const SliderOutcome moved = LowerTargetMoved(5000, 11614, 2061);
    EXPECT_TRUE(moved.writeDisplay());
    EXPECT_EQ(moved.noiseFloorMaximum, 5000);
    EXPECT_EQ(NoiseFloorMoved(5001, 5000).snapTo, 5000);
    EXPECT_TRUE(NoiseFloorMoved(5000, 5000).writeDisplay());
}

}  // namespace
}  // namespace vyr::display
