// The shell command lines the tool sends, and the pattern matching behind them.
#include "sim/shell.h"
#include "pty_client.h"

namespace vyrsim::test {
namespace {

using namespace serial_link;

class ShellLines : public SimTest {};

TEST_F(ShellLines, SetTheClockThenReadIt) {
    auto reply = Shell("SETTIME", "date -s 2024.03.07-09:05:00; /chroma/scripts/sync_with_rtc");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kReply);
    EXPECT_EQ(reply->Name(), "SETTIME");
    reply = Shell("SYSTEMCALL_TEMPTIME", "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring");
    EXPECT_EQ(reply->command, kReply);
    EXPECT_EQ(reply->Name(), "SYSTEMCALL_TEMPTIME");
    reply = Read("/tmp/datestring");
    ASSERT_EQ(reply->command, kReply);
    const std::string date(reply->PayloadText());
    ASSERT_EQ(date.size(), 20u) << date;
    EXPECT_EQ(date.substr(0, 18), "2024/03/07-09:05:0");  // it runs on from the time set
    EXPECT_TRUE(date[18] >= '0' && date[18] <= '9') << date;
    EXPECT_EQ(date.back(), '\n');
}

TEST_F(ShellLines, TheClockStartsAtTheComputersLocalTime) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y/%m/%d-%H:%M", &local);
    EXPECT_EQ(Shell("T", "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring")->command, kReply);
    // Minutes only: the minute may just have turned, so allow one retry.
    std::string date = sim.ReadFile("/tmp/datestring").value_or("");
    if (!date.starts_with(expected)) {
        const std::time_t later = std::time(nullptr);
        localtime_r(&later, &local);
        std::strftime(expected, sizeof expected, "%Y/%m/%d-%H:%M", &local);
    }
    EXPECT_TRUE(date.starts_with(expected)) << date << " vs " << expected;
}

TEST_F(ShellLines, DatesThatDoNotExistAreRefused) {
    for (const char* line : {"date -s 2023.02.29-10:00:00; /chroma/scripts/sync_with_rtc",
                             "date -s 2024.13.01-10:00:00; /chroma/scripts/sync_with_rtc",
                             "date -s 2024.01.01-24:00:00; /chroma/scripts/sync_with_rtc",
                             "date -s 2024.1.01-10:00:00; /chroma/scripts/sync_with_rtc",
                             "date -s 2024.01.01-10:00:00"}) {
        EXPECT_EQ(Shell("SETTIME", line)->command, kRefused) << line;
    }
    EXPECT_EQ(
        Shell("SETTIME", "date -s 2024.02.29-23:59:59; /chroma/scripts/sync_with_rtc")->command,
        kReply);
}

TEST_F(ShellLines, SetPresetMakesThePresetCurrent) {
    sim.WriteFile("/chroma/settings/3/rec_mic_level", "31");
    sim.WriteFile("/chroma/settings/3/mic_label", "Stage left");
    auto reply = Shell("SETPRESET", "/chroma/scripts/set_preset 3");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kReply);
    EXPECT_EQ(reply->Name(), "SETPRESET");
    EXPECT_EQ(sim.ReadFile("/chroma/settings/current/rec_mic_level"), "31");
    EXPECT_EQ(sim.ReadFile("/chroma/settings/current/mic_label"), "Stage left");
    EXPECT_EQ(sim.ReadFile("/chroma/settings/current_preset"), "3");
    EXPECT_EQ(Read("/chroma/settings/current_preset")->PayloadText(), "3");

    for (const char* line : {"/chroma/scripts/set_preset 10", "/chroma/scripts/set_preset -1",
                             "/chroma/scripts/set_preset x", "/chroma/scripts/set_preset 1 2"}) {
        EXPECT_EQ(Shell("SETPRESET", line)->command, kRefused) << line;
    }
    EXPECT_EQ(sim.ReadFile("/chroma/settings/current_preset"), "3");
}

TEST_F(ShellLines, FirmwareCheckFindsTheImageOrWritesNothing) {
    const char* check = "ls /mnt/vyr/firmware.cup > /tmp/update_check";
    EXPECT_EQ(Shell("SYSTEMCALL_UPDATECHECK", check)->command, kReply);
    EXPECT_EQ(Read("/tmp/update_check")->PayloadText(), "/mnt/vyr/firmware.cup\n");
    sim.RemoveFile("/mnt/vyr/firmware.cup");
    EXPECT_EQ(Shell("SYSTEMCALL_UPDATECHECK", check)->command, kReply);
    auto reply = Read("/tmp/update_check");
    EXPECT_EQ(reply->command, kReply);
    EXPECT_EQ(reply->PayloadText(), "");
    EXPECT_NE(sim.ReadFile("/var/log/messages")->find("ls: /mnt/vyr/firmware.cup: No such file"),
              std::string::npos);
}

TEST_F(ShellLines, TheUpdateIsNotAnswered) {
    ASSERT_TRUE(client->Send(
        TextRequest(kRunCommand, "/tmp/update_check", "/chroma/scripts/update_firmware")));
    EXPECT_TRUE(Eventually([&] { return sim.ReadFile("/tmp/update_started").has_value(); }));
    EXPECT_EQ(client->Pending(300ms), 0u);
    EXPECT_EQ(sim.RequestsReceived(), 1);
}

TEST_F(ShellLines, UnknownLinesAndOutputOutsideTmpAreRefused) {
    for (const char* line : {"reboot", "", "date", "ls -1 /chroma/users/ > /chroma/userlist",
                             "date +%Y/%m/%d-%H:%M:%S > /tmp/../chroma/x", "rm -rf /chroma/users/",
                             "ls /mnt/vyr/firmware.cup > /tmp/a; reboot"}) {
        auto reply = Shell("SYSTEMCALL", line);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->command, kRefused) << line;
        EXPECT_EQ(reply->Name(), "SYSTEMCALL");
    }
    EXPECT_FALSE(sim.ReadFile("/chroma/userlist"));
    EXPECT_EQ(Exchange(IntegerRequest(kRunCommand, "SYSTEMCALL", 1))->command, kRefused);
}

TEST(ShellPattern, WordsAreNonEmptyAndWithoutBlanks) {
    using Words = std::vector<std::string_view>;
    EXPECT_EQ(MatchPattern("ls -1 {}/ > {}", "ls -1 /chroma/users/ > /tmp/userlist"),
              (Words{"/chroma/users", "/tmp/userlist"}));
    EXPECT_EQ(MatchPattern("ls {} > {}", "ls -1 /chroma/users/ > /tmp/userlist"), std::nullopt);
    EXPECT_EQ(MatchPattern("rm /u/{}", "rm /u/"), std::nullopt);
    EXPECT_EQ(MatchPattern("rm /u/{}", "rm /u/a b"), std::nullopt);
    EXPECT_EQ(MatchPattern("x {}; y", "x 1; y"), (Words{"1"}));
    EXPECT_EQ(MatchPattern("x {}; y", "x 1; yz"), std::nullopt);
    EXPECT_EQ(MatchPattern("exact", "exact"), Words{});
    EXPECT_EQ(MatchPattern("exact", "exact "), std::nullopt);
}

}  // namespace
}  // namespace vyrsim::test
