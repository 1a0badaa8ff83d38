// The frame log, in memory and in a file.
#include <unistd.h>

#include <fstream>

#include "pty_client.h"
#include "sim/frame_log.h"

namespace vyrsim::test {
namespace {

using namespace serial_link;

std::string TempPath(const char* stem) {
    return "/tmp/" + std::string(stem) + "-" + std::to_string(getpid()) + ".log";
}

Options LogTo(std::string path) {
    Options options;
    options.logPath = std::move(path);
    return options;
}

class FileLog : public SimTest {
  protected:
    FileLog() : SimTest(LogTo(TempPath("vyrsim-log-test"))) {}
    ~FileLog() override { unlink(TempPath("vyrsim-log-test").c_str()); }

    std::vector<std::string> FileLines() const {
        std::ifstream file(TempPath("vyrsim-log-test"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }
};

TEST_F(FileLog, OneExchangeGivesTwoLinesInMemoryAndInTheFile) {
    sim.WriteFile("/chroma/settings/1/rec_mic_level", "25");
    EXPECT_TRUE(Read("/chroma/settings/1/rec_mic_level"));
    EXPECT_TRUE(Exchange(IntegerRequest(kLoopbackTest, "LOOPBACKTEST", 1234)));
    const std::vector<std::string> expected = {
        R"(in  1 /chroma/settings/1/rec_mic_level text "")",
        R"(out 2 /chroma/settings/1/rec_mic_level text "25")",
        "in  4 LOOPBACKTEST int 1234",
        "out 4 LOOPBACKTEST int 1234",
    };
    EXPECT_EQ(sim.Log(), expected);
    EXPECT_EQ(FileLines(), expected);

    sim.ClearLog();
    EXPECT_TRUE(sim.Log().empty());
    EXPECT_EQ(sim.RequestsReceived(), 2);
}

TEST_F(FileLog, PasswordsShowAsStarsInMemoryAndInTheFile) {
    EXPECT_EQ(Exchange(TextRequest(kSetPassword, "/chroma/users/guest", "s3cret-pw"))->command,
              kReply);
    EXPECT_EQ(Exchange(IntegerRequest(kSetPassword, "/chroma/users/guest", 4711))->command,
              kRefused);
    EXPECT_EQ(Exchange(TextRequest(kLogin, "/chroma/users/guest", "s3cret-pw"))->command,
              kRefused);  // no level yet
    EXPECT_EQ(Exchange(TextRequest(kLogin, "/chroma/users/admin", "vyr-admin"))->command, kReply);
    const std::vector<std::string> expected = {
        R"(in  11 /chroma/users/guest text "***")",
        R"(out 2 /chroma/users/guest text "")",
        "in  11 /chroma/users/guest int ***",
        R"(out 3 /chroma/users/guest text "Invalid request")",
        R"(in  12 /chroma/users/guest text "***")",
        R"(out 3 /chroma/users/guest text "Login incorrect")",
        R"(in  12 /chroma/users/admin text "***")",
        "out 2 /chroma/users/admin int 4",
    };
    EXPECT_EQ(sim.Log(), expected);
    EXPECT_EQ(FileLines(), expected);
}

TEST_F(FileLog, FaultsShowInTheLog) {
    sim.SetFaults({.staleFrames = 1, .partialEvery = 1});
    ASSERT_TRUE(client->Send(TextRequest(kReadFile, "/tmp/hw_type")));
    std::vector<unsigned char> bytes(kFrameSize + 300);
    EXPECT_EQ(client->ReadBytes(bytes.data(), bytes.size(), 10s), bytes.size());
    EXPECT_EQ(client->Pending(100ms), 0u);  // the cut reply has no more bytes
    EXPECT_EQ(sim.Log(), (std::vector<std::string>{
                             R"(in  1 /tmp/hw_type text "")",
                             R"(out 2 /stale/1 text "")",
                             R"(out 2 /tmp/hw_type text "0" (cut to 300 bytes))",
                         }));
}

TEST(FrameLine, EscapesLikeC) {
    EXPECT_EQ(Escape("plain text 1.0"), "plain text 1.0");
    EXPECT_EQ(Escape("a\"b\\c\nd"), R"(a\"b\\c\nd)");
    EXPECT_EQ(Escape(std::string("\x01\t\x7f\xe4\xff", 5)), R"(\x01\x09\x7f\xe4\xff)");
    CommandFrame frame;
    ASSERT_TRUE(BuildTextFrame(frame, kAppendLine, "/chroma/service_notes",
                               "2024/03/05-09:07| \"new\" note\n"));
    EXPECT_EQ(FormatFrameLine(Direction::In, frame),
              R"(in  20 /chroma/service_notes text "2024/03/05-09:07| \"new\" note\n")");
    ASSERT_TRUE(BuildIntegerFrame(frame, kSetUserLevel, "/chroma/users/g\xe4st", -3));
    EXPECT_EQ(FormatFrameLine(Direction::Out, frame), R"(out 15 /chroma/users/g\xe4st int -3)");
}

TEST(FrameLine, PasswordsShowAsStarsEitherWay) {
    CommandFrame frame;
    ASSERT_TRUE(BuildTextFrame(frame, kLogin, "/chroma/users/admin", "vyr-admin"));
    EXPECT_EQ(FormatFrameLine(Direction::In, frame), R"(in  12 /chroma/users/admin text "***")");
    EXPECT_EQ(FormatFrameLine(Direction::Out, frame), R"(out 12 /chroma/users/admin text "***")");
    ASSERT_TRUE(BuildIntegerFrame(frame, kSetPassword, "/chroma/users/guest", 1234));
    EXPECT_EQ(FormatFrameLine(Direction::In, frame), "in  11 /chroma/users/guest int ***");
    // Other commands keep their payload, even one that looks like a password.
    ASSERT_TRUE(BuildTextFrame(frame, kWriteFile, "/tmp/x", "vyr-admin"));
    EXPECT_EQ(FormatFrameLine(Direction::In, frame), R"(in  0 /tmp/x text "vyr-admin")");
}

}  // namespace
}  // namespace vyrsim::test
