// SetSetting, StoreSetting and ResetPresetToDefaults.
#include <gtest/gtest.h>

#include "test_support.h"

namespace vyr {
namespace {

class Validation : public ::testing::Test {
  protected:
    test::Model m;
    std::string Invalid(std::string_view key, int preset, std::string_view rejected,
                        std::string_view value) {
        return "    parameter: \"" + std::string(key) + "\" preset: #" + std::to_string(preset) +
               " invalid_value: \"" + std::string(rejected) + "\" new value: \"" +
               std::string(value) + "\"\n";
    }
};

TEST_F(Validation, RangesReadTheLeadingInteger) {
    m.Set("rec_mic_level", 1, "12abc");
    EXPECT_EQ(m.Text("rec_mic_level", 1), "12abc");
    m.Set("rec_mic_level", 1, "abc");
    EXPECT_EQ(m.Text("rec_mic_level", 1), "abc");
    m.Set("rec_line_level", 1, "-15");
    EXPECT_EQ(m.Text("rec_line_level", 1), "-15");
    EXPECT_EQ(m.Log(), "");

    m.Set("rec_mic_level", 1, "61");
    m.Set("rec_line_level", 1, "-16");
    m.Set("he_th", 2, "99999999999999");
    EXPECT_EQ(m.Text("rec_mic_level", 1), "25");
    EXPECT_EQ(m.Text("rec_line_level", 1), "0");
    EXPECT_EQ(m.Text("he_th", 2), "25716");
    EXPECT_EQ(m.Log(), Invalid("rec_mic_level", 1, "61", "25") +
                           Invalid("rec_line_level", 1, "-16", "0") +
                           Invalid("he_th", 2, "99999999999999", "25716"));
}

TEST_F(Validation, RangeWithABadDefaultFallsBackToTheMinimum) {
    m.catalogue.Entry(m.Index("rec_var_hold_time")).defaultValue = "fifteen";
    m.catalogue.Entry(m.Index("rec_buffer_length")).defaultValue = "99";
    m.Set("rec_var_hold_time", 1, "0");
    m.Set("rec_buffer_length", 1, "31");
    EXPECT_EQ(m.Text("rec_var_hold_time", 1), "1");
    EXPECT_EQ(m.Text("rec_buffer_length", 1), "1");
}

TEST_F(Validation, BooleansCompareAsUnsigned) {
    m.Set("rec_stop_double", 1, "-1");
    EXPECT_EQ(m.Text("rec_stop_double", 1), "0");
    m.Set("rec_highpass_on", 1, "2");
    EXPECT_EQ(m.Text("rec_highpass_on", 1), "1");
    EXPECT_EQ(m.Log(),
              Invalid("rec_stop_double", 1, "-1", "0") + Invalid("rec_highpass_on", 1, "2", "1"));
    m.guard.EmptyGuardLog();
    m.Set("rec_stop_double", 1, "yes");
    EXPECT_EQ(m.Text("rec_stop_double", 1), "yes");
    m.Set("rec_stop_double", 2, " 1");
    EXPECT_EQ(m.Text("rec_stop_double", 2), " 1");
    EXPECT_EQ(m.Log(), "");
}

TEST_F(Validation, ChoicesAreExactAfterTrimming) {
    EXPECT_EQ(m.Set("rec_sample_rate", 1, "  48000 \r\n"), "48000");
    EXPECT_EQ(m.Text("rec_sample_rate", 1), "48000");
    EXPECT_EQ(m.Log(), Invalid("rec_sample_rate", 1, "  48000", "48000"));
    m.guard.EmptyGuardLog();
    m.Set("rec_break_mode", 1, "split\n\n");
    EXPECT_EQ(m.Text("rec_break_mode", 1), "split");
    m.Set("rec_break_mode", 2, "Split");
    EXPECT_EQ(m.Text("rec_break_mode", 2), "marker");
    EXPECT_EQ(m.Log(), Invalid("rec_break_mode", 2, "Split", "marker"));
}

TEST_F(Validation, CharactersOutsideTheRepertoireBecomeUnderscores) {
    EXPECT_EQ(m.Set("preset_name", 4, "Caf\xE9\tbar\xE4 "), "Caf__bar\xE4");
    EXPECT_EQ(m.Text("preset_name", 4), "Caf__bar\xE4");
    // A rejected value is reported after filtering.
    m.Set("rec_mic_level", 4,
          "7\xE9\x01"
          "99x");  // reads 7: valid
    EXPECT_EQ(m.Text("rec_mic_level", 4), "7__99x");
    m.Set("rec_mic_level", 4,
          "\xE9"
          "70");  // "_70" reads as 0: in range
    EXPECT_EQ(m.Text("rec_mic_level", 4), "_70");
    m.Set("rec_line_level", 4, "99\xE9");
    EXPECT_EQ(m.Log(), Invalid("rec_line_level", 4, "99_", "0"));
}

TEST_F(Validation, TextKeepsLeadingAndInnerBlanksAndLineFeeds) {
    m.Set("rec_meta_description1", 2, "  line one\nline two\n\n");
    EXPECT_EQ(m.Text("rec_meta_description1", 2), "  line one\nline two");
    m.Set("rec_meta_description2", 2, " \t\r\n");
    EXPECT_EQ(m.Text("rec_meta_description2", 2), "");
    EXPECT_EQ(m.Log(), "");
}

// A longer answer is cut to the 59 characters a slot holds before it is checked, so the
// value checked is the value stored.
TEST_F(Validation, LongValuesAreCutBeforeTheyAreChecked) {
    const std::string zeros(59, '0');
    // Reads as 5 whole, but only the 59 zeros fit: 0 is below the range 1..300.
    EXPECT_EQ(m.Set("rec_var_hold_time", 3, zeros + "5"), "15");
    EXPECT_EQ(m.Text("rec_var_hold_time", 3), "15");
    // Reads as 1 whole; cut, it reads as 0, which is a valid Boolean.
    m.Set("rec_stop_double", 3, zeros + "1");
    EXPECT_EQ(m.Text("rec_stop_double", 3), zeros);
    // A choice followed by more than 59 characters of blanks is the choice.
    m.Set("rec_break_mode", 3, "split" + std::string(70, ' '));
    EXPECT_EQ(m.Text("rec_break_mode", 3), "split");
    EXPECT_EQ(m.Log(), Invalid("rec_var_hold_time", 3, zeros, "15"));
}

TEST_F(Validation, AValueCutInsideBlanksEndsWithoutThem) {
    const std::string words = std::string(50, 'w') + "   end";  // 56 characters
    EXPECT_EQ(m.Set("preset_name", 2, std::string(55, 'w') + "     tail"), std::string(55, 'w'));
    EXPECT_EQ(m.Text("preset_name", 2), std::string(55, 'w'));
    m.Set("rec_meta_cc", 2, words + "      more");  // the cut falls among the blanks
    EXPECT_EQ(m.Text("rec_meta_cc", 2), words);
    // Characters beyond the cut are not filtered into the stored value or the report.
    m.Set("rec_mic_level", 2, "61" + std::string(57, ' ') + "\xE9\xE9");
    EXPECT_EQ(m.Log(), Invalid("rec_mic_level", 2, "61", "25"));
}

TEST_F(Validation, BitrateAndSampleRateFollowTheFileFormat) {
    m.Set("rec_file_format", 3, "MP2");
    m.Set("rec_bitrate", 3, "---");
    EXPECT_EQ(m.Text("rec_bitrate", 3), "128");
    m.Set("rec_bitrate", 3, "160");
    EXPECT_EQ(m.Text("rec_bitrate", 3), "160");
    // An unknown rate under MP2 becomes a rate too, never the "---" default.
    m.Set("rec_bitrate", 3, "256");
    EXPECT_EQ(m.Text("rec_bitrate", 3), "128");
    m.Set("rec_file_format", 4, "WAV");
    m.Set("rec_bitrate", 4, "160");
    EXPECT_EQ(m.Text("rec_bitrate", 4), "---");
    m.Set("rec_file_format", 5, "BWF");
    m.Set("rec_sample_rate", 5, "32000");
    EXPECT_EQ(m.Text("rec_sample_rate", 5), "44100");
    m.Set("rec_sample_rate", 6, "32000");  // WAV keeps 32000
    EXPECT_EQ(m.Text("rec_sample_rate", 6), "32000");
    EXPECT_EQ(m.Log(), Invalid("rec_bitrate", 3, "---", "128") +
                           Invalid("rec_bitrate", 3, "256", "128") +
                           Invalid("rec_bitrate", 4, "160", "---") +
                           Invalid("rec_sample_rate", 5, "32000", "44100"));
}

TEST_F(Validation, LookAheadMaximumFollowsThePresetsSampleRate) {
    m.Store("rec_sample_rate", 3, "32000");
    m.Set("li_adv", 3, "400");
    EXPECT_EQ(m.Text("li_adv", 3), "34");
    EXPECT_EQ(m.store.RangeOf(param::li_adv).max, 320);
    EXPECT_EQ(m.catalogue[param::li_adv].max, 480);  // the shared table stays as it is
    m.Store("rec_sample_rate", 4, "44100");
    m.Set("li_adv", 4, "400");
    EXPECT_EQ(m.Text("li_adv", 4), "400");
    m.Set("li_adv", 4, "442");
    EXPECT_EQ(m.Text("li_adv", 4), "34");
    // An unreadable rate keeps the previous maximum.
    m.Store("rec_sample_rate", 5, "fast");
    m.Set("li_adv", 5, "441");
    EXPECT_EQ(m.Text("li_adv", 5), "441");
    EXPECT_EQ(m.Log(), Invalid("li_adv", 3, "400", "34") + Invalid("li_adv", 4, "442", "34"));
}

TEST_F(Validation, PermissionCouplings) {
    m.Set("allow_set_bitrate", 2, "0");  // allow_set_format is "1"
    EXPECT_EQ(m.Text("allow_set_bitrate", 2), "1");
    m.Set("allow_set_sample_rate", 2, "0");
    EXPECT_EQ(m.Text("allow_set_sample_rate", 2), "1");
    EXPECT_EQ(m.Log(), Invalid("allow_set_bitrate", 2, "0", "1") +
                           Invalid("allow_set_sample_rate", 2, "0", "1"));
    m.guard.EmptyGuardLog();
    m.Store("allow_set_format", 2, "0");
    m.Set("allow_set_bitrate", 2, "0");
    EXPECT_EQ(m.Text("allow_set_bitrate", 2), "0");
    EXPECT_EQ(m.Log(), "");
}

TEST_F(Validation, AutostopNeedsVoiceActivation) {
    m.Set("rec_var_autostop_enabled", 1, "1");  // rec_var_active_after_boot is "0"
    EXPECT_EQ(m.Text("rec_var_autostop_enabled", 1), "0");
    m.Store("rec_var_active_after_boot", 2, "1");
    m.Set("rec_var_autostop_enabled", 2, "1");
    EXPECT_EQ(m.Text("rec_var_autostop_enabled", 2), "1");
    EXPECT_EQ(m.Log(), "");
}

TEST_F(Validation, ValidatingWithoutAPresetStoresNothingAndSkipsCouplings) {
    m.Set("rec_bitrate", -1, "128");  // no format to compare with
    m.Set("allow_set_bitrate", -1, "0");
    m.Set("rec_mic_level", -1, "61");
    EXPECT_EQ(m.Log(), Invalid("rec_mic_level", -1, "61", "25"));
    for (int preset = 0; preset < kPresetCount; ++preset) {
        EXPECT_EQ(m.Text("rec_bitrate", preset), "---");
        EXPECT_EQ(m.Text("rec_mic_level", preset), "25");
    }
}

TEST_F(Validation, StoreSettingScope) {
    m.Store("mic_label", 5, "Booth_7");
    for (int preset = 0; preset < kPresetCount; ++preset)
        EXPECT_EQ(m.Text("mic_label", preset), "Booth_7");
    m.Store("preset_name", 5, "Five");
    for (int preset = 0; preset < kPresetCount; ++preset) {
        EXPECT_EQ(m.Text("preset_name", preset), preset == 5 ? "Five" : "Factory_settings")
            << preset;
    }
}

TEST_F(Validation, StoreSettingCutsAtTheFieldLengthAndAtANul) {
    m.Store("preset_name", 5, std::string(80, 'x'));
    EXPECT_EQ(m.Text("preset_name", 5), std::string(59, 'x'));
    m.Store("preset_name", 5, std::string_view("ab\0cd", 5));
    EXPECT_EQ(m.Text("preset_name", 5), "ab");
}

// A preset or parameter outside the table must not land in a neighbouring slot: the slots
// are one array, so [p][10] would be [p + 1][0] and [p][-1] would be [p - 1][9].
TEST_F(Validation, OutOfRangeIndicesStoreNothing) {
    m.Store("preset_name", 10, "Ten");
    m.Store("preset_name", -1, "None");
    m.store.StoreSetting(kParameterCount, 0, "after the table");
    m.store.StoreSetting(-1, 9, "before the table");
    std::string text = "2";
    m.store.SetSetting(-1, 1, text);
    m.store.SetSetting(kParameterCount, 1, text);
    for (int p = 0; p < kParameterCount; ++p) {
        for (int preset = 0; preset < kPresetCount; ++preset) {
            EXPECT_EQ(m.store.Text(p, preset), m.catalogue.Default(p))
                << m.catalogue[p].key << " in " << preset;
        }
    }
    EXPECT_EQ(text, "2");  // not validated against anything
    EXPECT_EQ(m.Log(), "");
}

TEST_F(Validation, ResetPresetToDefaults) {
    m.Store("mic_label", 1, "Elsewhere");
    m.Store("preset_name", 2, "Two");
    m.Store("preset_name", 3, "Three");
    m.store.SetEnabled(param::li_adv, 2, false);
    m.store.SetEnabled(param::li_adv, 3, false);
    m.store.ResetPresetToDefaults(2);
    EXPECT_EQ(m.Text("preset_name", 2), "Factory_settings");
    EXPECT_EQ(m.Text("preset_name", 3), "Three");
    EXPECT_EQ(m.Text("mic_label", 7), "Station_ID");  // a global default lands everywhere
    EXPECT_TRUE(m.store.Enabled(param::li_adv, 2));
    EXPECT_FALSE(m.store.Enabled(param::li_adv, 3));  // enabled only for the reset preset
}

}  // namespace
}  // namespace vyr
