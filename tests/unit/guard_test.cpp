#include <gtest/gtest.h>

#include "settings/guard.h"
#include "settings/text.h"

namespace vyr {
namespace {

TEST(GuardLog, FormatsInvalidAndMissingLines) {
    GuardLog guard;
    guard.BeginGuard(kLoadingFromDevice);
    guard.LogMissing("rec_mic_level", 2, "25");
    guard.LogInvalid("rec_line_level", 2, "99", "0");
    guard.LogInvalid("mic_label", -1, "Gr\xFC\xDF \"x\"", "Station_ID");
    EXPECT_EQ(
        WideToUtf8(guard.Log()),
        "    parameter: \"rec_mic_level\" preset: #2 -missing- new value: \"25\"\n"
        "    parameter: \"rec_line_level\" preset: #2 invalid_value: \"99\" new value: \"0\"\n"
        "    parameter: \"mic_label\" preset: #-1 invalid_value: \"Gr\xC3\xBC\xC3\x9F \"x\"\" "
        "new value: \"Station_ID\"\n");
}

TEST(GuardLog, BeginGuardStartsAFreshReportForItsContext) {
    GuardLog guard;
    guard.BeginGuard(kLoadingFromDevice);
    guard.LogMissing("li_adv", 1, "34");
    guard.BeginGuard(kLoadingFromFile);
    EXPECT_TRUE(guard.Empty());
    guard.LogMissing("li_th", 3, "16384");
    EXPECT_EQ(guard.Log(), L"    parameter: \"li_th\" preset: #3 -missing- new value: \"16384\"\n");
    EXPECT_EQ(
        guard.Explanation(),
        L"The protocol guard has detected invalid parameter values while loading from file.\n"
        L"This may happen from a version update or a setting corruption.\n"
        L"The invalid values have been exchanged, please check the listing below for details.");
    guard.EmptyGuardLog();
    EXPECT_TRUE(guard.Empty());
    EXPECT_EQ(guard.Context(), L"loading from file");
}

}  // namespace
}  // namespace vyr
