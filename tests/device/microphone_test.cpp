// The microphone value rules: range checks and repairs as the calibration dialog applies
// them, the C locale's notation whatever the process locale, and what a device text shows.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "device/microphone.h"

namespace vyr {
namespace {

struct Entry {
    MicValueKind kind;
    const char* entered;
    bool valid;
    const char* display;
};

void ExpectChecks(std::initializer_list<Entry> entries) {
    for (const Entry& entry : entries) {
        const MicCheck check = CheckMicEntry(entry.kind, entry.entered);
        EXPECT_EQ(check.valid, entry.valid) << entry.entered;
        EXPECT_EQ(check.display, entry.display) << entry.entered;
        EXPECT_EQ(check.deviceText, std::string(entry.display) + "\n") << entry.entered;
    }
}

constexpr auto kSens = MicValueKind::Sensitivity;
constexpr auto kFreq = MicValueKind::Frequency;
constexpr auto kGain = MicValueKind::Gain;
constexpr auto kQ = MicValueKind::Q;
constexpr auto kSwitch = MicValueKind::Switch;

TEST(MicrophoneValues, RangesAndRepairs) {
    ExpectChecks({
        {kSens, "-12", true, "-12"},      {kSens, "-60", true, "-60"},
        {kSens, "0", true, "0"},          {kSens, "-61", false, "-60"},
        {kSens, "3", false, "0"},         {kSens, "-1.5", false, "0"},
        {kFreq, "250", true, "250"},      {kFreq, "20", true, "20"},
        {kFreq, "16000", true, "16000"},  {kFreq, "25000", false, "16000"},
        {kFreq, "19.9", false, "20"},     {kFreq, "", false, "20"},
        {kFreq, "abc", false, "20"},      {kFreq, "250.4", true, "250"},
        {kGain, "-6", true, "-6.0"},      {kGain, "6", true, "6.0"},
        {kGain, "6.01", false, "6.0"},    {kGain, "-7", false, "-6.0"},
        {kGain, "", false, "0.0"},        {kGain, "1,25", true, "1.2"},
        {kQ, "1,5", true, "1.5"},         {kQ, "0.1", false, "0.2"},
        {kQ, "3.04", false, "3.0"},       {kQ, "3", true, "3.0"},
        {kQ, "0.19999", true, "0.2"},     {kQ, "0.19998", false, "0.2"},
        {kQ, "", false, "0.7"},           {kQ, " 2 ", true, "2.0"},
        {kQ, "+2", true, "2.0"},          {kQ, "1,5,0", false, "0.7"},
        {kSwitch, "1", true, "1"},        {kSwitch, "0", true, "0"},
        {kSwitch, "2", false, "0"},       {kSwitch, "on", false, "0"},
    });
}

// Each kind's range as messages name it, both its ends accepted and the entries just beyond
// them refused.
TEST(MicrophoneValues, RangeEndsPassAndJustBeyondFails) {
    struct Range {
        MicValueKind kind;
        const char* text;
        double min, max;
        std::initializer_list<const char*> accepted, refused;
    };
    const Range kRanges[] = {
        {kSens, "a whole number -60..0", -60, 0, {"-60", "0"}, {"-61", "1", "-0.5"}},
        {kFreq, "20..16000", 20, 16000, {"20", "16000"}, {"19.99", "16000.01"}},
        {kGain, "-6..6", -6, 6, {"-6", "6", "-6,0"}, {"-6.01", "6.01"}},
        {kQ, "0.2..3", 0.2, 3, {"0.2", "0.19999", "3"}, {"0.19998", "3.01"}},
        {kSwitch, "1 or 0", 0, 1, {"0", "1"}, {"-1", "2", "0.5"}},
    };
    for (const Range& range : kRanges) {
        EXPECT_EQ(MicRangeText(range.kind), range.text);
        EXPECT_EQ(MicValueRange(range.kind).min, range.min) << range.text;
        EXPECT_EQ(MicValueRange(range.kind).max, range.max) << range.text;
        for (const char* entry : range.accepted)
            EXPECT_TRUE(CheckMicEntry(range.kind, entry).valid) << range.text << ": " << entry;
        for (const char* entry : range.refused)
            EXPECT_FALSE(CheckMicEntry(range.kind, entry).valid) << range.text << ": " << entry;
    }
}

TEST(MicrophoneValues, NanAndInfinitiesAreNotNumbers) {
    for (const char* text : {"nan", "NAN", "-nan", "inf", "-inf", "infinity", "+inf", "1e999",
                             "0x10", "1.5x", "--1", "+-1", ""}) {
        EXPECT_FALSE(ParseMicNumber(text)) << text;
        EXPECT_FALSE(InterpretMicValue(kGain, text)) << text;
    }
    ExpectChecks({{kGain, "nan", false, "0.0"}, {kQ, "inf", false, "0.7"},
                  {kFreq, "-inf", false, "20"}});
}

TEST(MicrophoneValues, DeviceTextsAsTheDialogShowsThem) {
    EXPECT_EQ(InterpretMicValue(kSens, "-38\n"), "-38");
    EXPECT_EQ(InterpretMicValue(kFreq, "250 \n"), "250");
    EXPECT_FALSE(InterpretMicValue(kFreq, "250.5"));
    EXPECT_EQ(InterpretMicValue(kGain, "-2\n"), "-2.0");
    EXPECT_EQ(InterpretMicValue(kQ, "0.75\n"), "0.8");
    EXPECT_EQ(InterpretMicValue(kSwitch, "1\n"), "1");
    EXPECT_EQ(InterpretMicValue(kSwitch, "2"), "0");
    EXPECT_FALSE(InterpretMicValue(kSwitch, "abc"));
    EXPECT_FALSE(InterpretMicValue(kSens, ""));
    // A huge number from the device is shown as it is, not as 0.
    EXPECT_GT(InterpretMicValue(kGain, "1e72")->size(), 70u);
}

TEST(MicrophoneValues, TypesAndPaths) {
    EXPECT_EQ(MicTypeFromLetter("a"), 0);
    EXPECT_EQ(MicTypeFromLetter("M"), 12);
    EXPECT_EQ(MicTypeFromLetter("s"), 18);
    EXPECT_FALSE(MicTypeFromLetter("t"));
    EXPECT_FALSE(MicTypeFromLetter("ab"));
    EXPECT_EQ(MicValuePath(12, "mic_filter2_q"), "/chroma/mics/m/mic_filter2_q");
    EXPECT_EQ(FindMicValue("mic_filter3_enable"), 12u);
    EXPECT_FALSE(FindMicValue("mic_filter4_q"));
}

// A process running with a comma as its decimal separator still reads and writes points.
TEST(MicrophoneValues, CommaDecimalLocaleChangesNothing) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed (localedef -i de_DE -f UTF-8 "
                        "de_DE.UTF-8 makes it)";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    ExpectChecks({{kQ, "1.5", true, "1.5"}, {kGain, "-2,5", true, "-2.5"}});
    EXPECT_EQ(ParseMicNumber("0.75"), 0.75);
    EXPECT_EQ(InterpretMicValue(kGain, "1.5\n"), "1.5");
    std::setlocale(LC_NUMERIC, before.c_str());
}

}  // namespace
}  // namespace vyr
