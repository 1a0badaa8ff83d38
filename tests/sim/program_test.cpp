// The vyrsim program: start, port path on the first line, symbolic link, options, and stopping
// on SIGINT and SIGTERM whatever it is doing.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "program_runner.h"

namespace vyrsim::test {
namespace {

TEST(Program, ServesOnItsPortAndStopsCleanlyOnSigterm) {
    const std::string link = TempPath("link");
    const std::string log = TempPath("prog.log");
    unlink(log.c_str());
    unlink(link.c_str());
    ASSERT_EQ(symlink("/nonexistent", link.c_str()), 0);  // an old link is replaced
    Program program({"--link", link, "--log", log, "--stale", "1"});
    ASSERT_TRUE(program.Started());
    const std::string port = program.FirstLine();
    EXPECT_TRUE(port.starts_with("/dev/pts/")) << port;
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(port, target);
    {
        PtyClient client(link);
        ASSERT_TRUE(client.IsOpen());
        ASSERT_TRUE(client.Send(TextRequest(serial_link::kReadFile, "/tmp/hw_type")));
        EXPECT_EQ(client.Receive()->Name(), "/stale/1");
        EXPECT_EQ(client.Receive()->PayloadText(), "0");
    }
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Ended(), 0);
    EXPECT_EQ(program.Errors(), "");
    EXPECT_FALSE(Exists(link));  // gone, not only dangling
    EXPECT_EQ(FileLines(log), (std::vector<std::string>{R"(in  1 /tmp/hw_type text "")",
                                                        R"(out 2 /stale/1 text "")",
                                                        R"(out 2 /tmp/hw_type text "0")"}));
    unlink(log.c_str());
}

TEST(Program, BadOptionsEndItAtOnceWithOneLineAndStatus1) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option --bogus"},
        {{"-h"}, "unknown option -h"},
        {{"stray"}, "unexpected argument stray"},
        {{"--baud"}, "--baud needs a value"},
        {{"--log", "--silent"}, "--log needs a value"},
        {{"--baud", "0"}, "--baud must be at least 1, not 0"},
        {{"--baud", "-9600"}, "--baud must be at least 1, not -9600"},
        {{"--latency", "-5"}, "--latency must be at least 0, not -5"},
        {{"--stale", "-1"}, "--stale must be at least 0, not -1"},
        {{"--repeat-requests", "-2"}, "--repeat-requests must be at least -1, not -2"},
        {{"--drop-every", "0"}, "--drop-every must be at least 1, not 0"},
        {{"--latency", "x"}, "--latency takes a whole number, not \"x\""},
        {{"--hangup-after", "3x"}, "--hangup-after takes a whole number, not \"3x\""},
        {{"--partial-every", ""}, "--partial-every takes a whole number, not \"\""},
        {{"--baud", "1.5"}, "--baud takes a whole number, not \"1.5\""},
        {{"--latency", "99999999999"}, "--latency 99999999999 is out of range"},
        {{"--link", ""}, "--link needs a path"},
        {{"--refuse", ""}, "--refuse needs a path"},
        {{"--silent-to"}, "--silent-to needs a value"},
        {{"--silent", "--baud", "9600", "--wat"}, "unknown option --wat"},
    };
    for (const Case& c : cases) {
        Program program(c.args);
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.Ended(), 1) << c.message;
        EXPECT_EQ(program.Output(), "") << c.message;
        ExpectOneLineMessage(program.Errors(), c.message);
    }
}

TEST(Program, HelpGoesToStandardOutput) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--help"}, {"--baud", "9600", "--help"}}) {
        Program program(args);
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.Ended(), 0);
        const std::string usage = program.Output();
        EXPECT_TRUE(usage.starts_with("usage: vyrsim")) << usage;
        for (const char* option :
             {"--link", "--wine-com", "--log", "--latency", "--baud", "--silent", "--drop-every", "--stale",
              "--partial-every", "--wrong-first-echo", "--repeat-requests", "--hangup-after",
              "--silent-to", "--refuse"})
            EXPECT_NE(usage.find(option), std::string::npos) << option;
        EXPECT_EQ(program.Errors(), "");
    }
}

// A log file that cannot be opened for writing ends the program before it serves, naming the
// file and the reason; no port is printed and no link is left behind.
TEST(Program, AnUnwritableLogEndsItAtOnceWithTheReason) {
    const std::string directory = TempPath("logdir");
    const std::string fifo = TempPath("logfifo");  // nobody reads it
    mkdir(directory.c_str(), 0700);
    unlink(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string link = TempPath("badlog-link");
    struct Case {
        std::string path;
        int error;
    };
    for (const Case& c : {Case{directory, EISDIR}, Case{TempPath("missing") + "/x.log", ENOENT},
                          Case{fifo, ENXIO}}) {
        Program program({"--log", c.path, "--link", link});
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.Ended(), 1) << c.path;
        EXPECT_EQ(program.Output(), "");
        ExpectOneLineMessage(program.Errors(), c.path + ": " + std::strerror(c.error));
        EXPECT_FALSE(Exists(link));
    }
    rmdir(directory.c_str());
    unlink(fifo.c_str());
}

// SIGINT and SIGTERM right at the start: it ends, by the signal or by stopping.
TEST(Program, StopsWhenSignalledDuringTheStart) {
    for (int signal : {SIGINT, SIGTERM}) {
        Program program({"--log", TempPath("start.log"), "--link", TempPath("start-link")});
        ASSERT_TRUE(program.Started());
        program.Signal(signal);
        const auto status = program.Ended();
        ASSERT_TRUE(status) << "still running after " << signal;
        EXPECT_TRUE(*status == 0 || *status == 128 + signal) << *status;
        EXPECT_FALSE(Exists(TempPath("start-link")));
    }
    unlink(TempPath("start.log").c_str());
}

// What the program is doing when the stop signal comes.
enum class Busy { Idle, WaitingToAnswer, PacingReplies };

struct StopCase {
    int signal;
    Busy busy;
};

class StopSignal : public ::testing::TestWithParam<StopCase> {
  protected:
    void TearDown() override {
        unlink(log.c_str());
        unlink(link.c_str());
    }
    const std::string log = TempPath("stop.log");
    const std::string link = TempPath("stop-link");
};

TEST_P(StopSignal, StopsItCleanlyWhateverItIsDoing) {
    const auto [signal, busy] = GetParam();
    std::vector<std::string> args = {"--log", log, "--link", link};
    if (busy == Busy::WaitingToAnswer)
        args.insert(args.end(), {"--latency", "600000"});
    // 51 frames at 4800 baud: 47 s of replies.
    if (busy == Busy::PacingReplies)
        args.insert(args.end(), {"--baud", "4800", "--stale", "50"});
    Program program(args);
    ASSERT_TRUE(program.Started());
    const std::string port = program.FirstLine();
    ASSERT_TRUE(port.starts_with("/dev/pts/")) << port;
    PtyClient client(port);
    ASSERT_TRUE(client.IsOpen());
    if (busy != Busy::Idle) {
        ASSERT_TRUE(client.Send(TextRequest(serial_link::kReadFile, "/tmp/hw_type")));
    }
    if (busy == Busy::WaitingToAnswer) {
        ASSERT_TRUE(Eventually([&] { return !FileLines(log).empty(); }));
    }
    if (busy == Busy::PacingReplies) {
        unsigned char first = 0;
        ASSERT_EQ(client.ReadBytes(&first, 1, kPatience), 1u);
    }
    program.Signal(signal);
    EXPECT_EQ(program.Ended(), 0);
    EXPECT_EQ(program.Errors(), "");
    EXPECT_FALSE(Exists(link));
}

INSTANTIATE_TEST_SUITE_P(EveryState, StopSignal,
                         ::testing::Values(StopCase{SIGINT, Busy::Idle},
                                           StopCase{SIGTERM, Busy::Idle},
                                           StopCase{SIGINT, Busy::WaitingToAnswer},
                                           StopCase{SIGTERM, Busy::WaitingToAnswer},
                                           StopCase{SIGINT, Busy::PacingReplies},
                                           StopCase{SIGTERM, Busy::PacingReplies}));

// A script's background job starts with SIGINT ignored; it still stops the simulator.
TEST(Program, StopsOnSigintEvenWhenStartedWithItIgnored) {
    Program program({}, {.ignoreSigint = true});
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.FirstLine().starts_with("/dev/pts/"));
    program.Signal(SIGINT);
    EXPECT_EQ(program.Ended(), 0);
}

// A log that takes no more lines (a FIFO whose reader stopped reading) holds the simulator's
// thread in a write; a stop signal still ends the program, and the link goes.
TEST(Program, StopsEvenWhenTheLogFileBlocks) {
    const std::string fifo = TempPath("stuckfifo");
    const std::string link = TempPath("stuck-link");
    unlink(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    fcntl(reader, F_SETPIPE_SZ, 4096);  // fills after a few frames
    Program program({"--log", fifo, "--link", link});
    ASSERT_TRUE(program.Started());
    const std::string port = program.FirstLine();
    ASSERT_TRUE(port.starts_with("/dev/pts/")) << port;
    PtyClient client(port);
    ASSERT_TRUE(client.IsOpen());
    // Requests with long names until the log stops the simulator in a write.
    const std::string name = "/tmp/" + std::string(240, 'x');
    for (int i = 0; i < 100 && !program.BlockedOnAPipe(); ++i) {
        ASSERT_TRUE(client.Send(TextRequest(serial_link::kReadFile, name)));
        client.Pending(20ms);
    }
    ASSERT_TRUE(Eventually([&] { return program.BlockedOnAPipe(); }));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Ended(), 1);
    ExpectOneLineMessage(program.Errors(), "did not stop");
    EXPECT_FALSE(Exists(link));
    close(reader);
    unlink(fifo.c_str());
}

}  // namespace
}  // namespace vyrsim::test
