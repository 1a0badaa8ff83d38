// vyrsim --wine-com N: the link dosdevices/comN in the Wine prefix, and the port held raw as the
// controlling terminal of a simulator that leads its own session, so that wineserver opening
// the port gets no signals from it. Wine itself is not needed: what it would meet is checked
// on the port and in /proc.
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "program_runner.h"

namespace vyrsim::test {
namespace {

using serial_link::kLoopbackTest;
using serial_link::kReadFile;
using serial_link::kReply;
using serial_link::kWriteFile;

// A folder standing in for a Wine prefix: `top` + `below` (as a home folder and "/.wine"),
// removed from `top` down at the end.
class WinePrefix {
  public:
    explicit WinePrefix(std::string top, bool withDosdevices = true, const std::string& below = "")
        : top_(std::move(top)), root_(top_ + below) {
        std::filesystem::remove_all(top_);
        std::filesystem::create_directories(withDosdevices ? root_ + "/dosdevices" : root_);
    }
    ~WinePrefix() {
        std::error_code ignored;
        std::filesystem::remove_all(top_, ignored);
    }
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    const std::string& Root() const { return root_; }
    std::string Com(int port) const { return root_ + "/dosdevices/com" + std::to_string(port); }

  private:
    std::string top_;
    std::string root_;
};

using Environment = decltype(Launch::environment);

Launch WithPrefix(const WinePrefix& prefix) {
    return {.environment = {{"WINEPREFIX", prefix.Root()}}};
}

std::string ReadLink(const std::string& link) {
    char target[4096];
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    return length < 0 ? std::string() : std::string(target, static_cast<std::size_t>(length));
}

// The fields of /proc/<pid>/stat that tell a process's session and terminal.
struct ProcessState {
    char state = '?';
    pid_t parent = 0;
    pid_t group = 0;
    pid_t session = 0;
    unsigned long terminal = 0;  // the controlling terminal's device number, 0 for none
    pid_t foregroundGroup = -1;  // the foreground process group of that terminal
};

std::optional<ProcessState> ReadProcessState(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line))
        return std::nullopt;
    // The command name in parentheses may hold spaces: the fields start after its last ')'.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    ProcessState state;
    fields >> state.state >> state.parent >> state.group >> state.session >> state.terminal >>
        state.foregroundGroup;
    if (!fields)
        return std::nullopt;
    return state;
}

// Running, not a zombie that only waits to be reaped.
bool Alive(pid_t pid) {
    const auto state = ReadProcessState(pid);
    return state && state->state != 'Z' && state->state != 'X';
}

// The one child process of `parent`, or 0.
pid_t ChildOf(pid_t parent) {
    pid_t found = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = std::stoi(name);
        const auto state = ReadProcessState(pid);
        if (state && state->parent == parent) {
            if (found != 0)
                return 0;
            found = pid;
        }
    }
    return found;
}

// The process that serves the port: the program's child in a session of its own.
pid_t Simulator(const Program& program) {
    pid_t simulator = 0;
    Eventually([&] { return (simulator = ChildOf(program.Pid())) != 0; });
    return simulator;
}

// Stops it with `signal`: status 0, nothing on standard error, and the link is gone.
void ExpectStopsCleanly(Program& program, int signal, const std::string& com) {
    program.Signal(signal);
    EXPECT_EQ(program.Ended(), 0);
    EXPECT_EQ(program.Errors(), "");
    EXPECT_FALSE(Exists(com));
}

struct LinkCase {
    std::string name;
    int port;
    bool alsoLink;  // --link as well
    // Where the prefix is (a folder, and the part below it that is the prefix), and the
    // environment that points at it.
    std::string top;
    std::string below;
    Environment environment;
};

void PrintTo(const LinkCase& c, std::ostream* out) {
    *out << c.name;
}

class ComLink : public ::testing::TestWithParam<LinkCase> {};

TEST_P(ComLink, PointsAtThePortAndGoesOnSigterm) {
    const LinkCase& c = GetParam();
    const WinePrefix prefix(c.top, true, c.below);
    const std::string com = prefix.Com(c.port);
    ASSERT_EQ(symlink("/nonexistent", com.c_str()), 0);  // an old link is replaced
    const std::string link = TempPath("wine-also-link");
    unlink(link.c_str());
    std::vector<std::string> args = {"--wine-com", std::to_string(c.port)};
    if (c.alsoLink)
        args.insert(args.end(), {"--link", link});
    Program program(args, {.environment = c.environment});
    ASSERT_TRUE(program.Started());
    const std::string port = program.FirstLine();
    ASSERT_TRUE(port.starts_with("/dev/pts/")) << port << program.Errors();
    EXPECT_EQ(ReadLink(com), port);
    if (c.alsoLink) {
        EXPECT_EQ(ReadLink(link), port);
    }
    {
        PtyClient client(com);
        ASSERT_TRUE(client.IsOpen());
        ASSERT_TRUE(client.Send(TextRequest(kReadFile, "/tmp/hw_type")));
        const auto reply = client.Receive();
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->PayloadText(), "0");
    }
    ExpectStopsCleanly(program, SIGTERM, com);
    EXPECT_FALSE(Exists(link));
}

INSTANTIATE_TEST_SUITE_P(
    WherePrefixIs, ComLink,
    ::testing::Values(
        LinkCase{"Prefix", 7, false, TempPath("wineprefix"), "",
                 {{"WINEPREFIX", TempPath("wineprefix")}}},
        LinkCase{"PrefixWithTrailingSlashAndLink", 7, true, TempPath("wineprefix"), "",
                 {{"WINEPREFIX", TempPath("wineprefix") + "/"}}},
        LinkCase{"EmptyPrefixMeansHome", 1, false, TempPath("winehome"), "/.wine",
                 {{"WINEPREFIX", ""}, {"HOME", TempPath("winehome")}}},
        LinkCase{"UnsetPrefixMeansHome", 256, false, TempPath("winehome"), "/.wine",
                 {{"WINEPREFIX", std::nullopt}, {"HOME", TempPath("winehome")}}}),
    [](const auto& test) { return test.param.name; });

// Another kind of file where the link would go is left alone.
TEST(WineCom, LeavesAFileThatIsNotALinkAndEndsWithStatus1) {
    const WinePrefix prefix(TempPath("wineprefix"));
    const std::string com = prefix.Com(7);
    std::ofstream(com) << "keep";
    Program program({"--wine-com", "7"}, WithPrefix(prefix));
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(program.Ended(), 1);
    EXPECT_EQ(program.Output(), "");
    ExpectOneLineMessage(program.Errors(), com + " exists and is not a symbolic link");
    EXPECT_EQ(FileLines(com), std::vector<std::string>{"keep"});
}

TEST(WineCom, WithoutTheDosdevicesFolderOrWithABadPortItEndsAtOnceWithStatus1) {
    const WinePrefix bare(TempPath("wine-bare"), false);
    const WinePrefix home(TempPath("wine-nohome"), false);
    const WinePrefix withFile(TempPath("wine-file"), false);
    std::ofstream(withFile.Root() + "/dosdevices") << "not a folder";
    struct Case {
        std::string value;
        Environment environment;
        std::string message;
    };
    const Case cases[] = {
        {"7",
         {{"WINEPREFIX", bare.Root()}},
         "--wine-com needs Wine's folder " + bare.Root() + "/dosdevices: No such file or directory"},
        {"7",
         {{"WINEPREFIX", std::nullopt}, {"HOME", home.Root()}},
         "--wine-com needs Wine's folder " + home.Root() + "/.wine/dosdevices: No such file"},
        {"7",
         {{"WINEPREFIX", withFile.Root()}},
         "--wine-com needs Wine's folder " + withFile.Root() + "/dosdevices, which is not a folder"},
        {"7",
         {{"WINEPREFIX", ""}, {"HOME", std::nullopt}},
         "--wine-com finds no Wine prefix: neither WINEPREFIX nor HOME is set"},
        {"0", {}, "--wine-com must be at least 1, not 0"},
        {"257", {}, "--wine-com must be at most 256, not 257"},
        {"-3", {}, "--wine-com must be at least 1, not -3"},
        {"com7", {}, "--wine-com takes a whole number, not \"com7\""},
        {"", {}, "--wine-com takes a whole number, not \"\""},
    };
    for (const Case& c : cases) {
        Program program({"--wine-com", c.value}, {.environment = c.environment});
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.Ended(), 1) << c.message;
        EXPECT_EQ(program.Output(), "") << c.message;
        ExpectOneLineMessage(program.Errors(), c.message);
    }
    EXPECT_FALSE(Exists(bare.Root() + "/dosdevices"));
    EXPECT_FALSE(Exists(home.Root() + "/.wine"));
}

// Bytes that a cooked terminal would act on (0x03 interrupts, 0x0D becomes 0x0A, 0x11 and 0x13
// are flow control) reach the simulator unchanged and interrupt nothing, on a port the client
// leaves as the simulator set it.
TEST(WineCom, ControlBytesPassUnchangedAndInterruptNothing) {
    const WinePrefix prefix(TempPath("wineprefix"));
    const std::string com = prefix.Com(7);
    Program program({"--wine-com", "7"}, WithPrefix(prefix));
    ASSERT_TRUE(program.Started());
    const std::string port = program.FirstLine();
    ASSERT_TRUE(port.starts_with("/dev/pts/")) << port;
    const pid_t simulator = Simulator(program);
    ASSERT_NE(simulator, 0);
    PtyClient client(com, false);
    ASSERT_TRUE(client.IsOpen());
    termios tio{};
    ASSERT_EQ(tcgetattr(client.Fd(), &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);

    const std::string text = "\x03\r\x11\x13\x03\x03\r\n\x1a\x1c\x7f end";
    ASSERT_TRUE(client.Send(TextRequest(kWriteFile, "/tmp/control", text)));
    const auto written = client.Receive();
    ASSERT_TRUE(written);
    EXPECT_EQ(written->command, kReply);
    ASSERT_TRUE(client.Send(TextRequest(kReadFile, "/tmp/control")));
    const auto read = client.Receive();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->PayloadText(), text);
    const std::int32_t value = 0x13110D03;
    ASSERT_TRUE(client.Send(IntegerRequest(kLoopbackTest, "LOOPBACKTEST", value)));
    const auto echo = client.Receive();
    ASSERT_TRUE(echo);
    EXPECT_EQ(echo->command, kLoopbackTest);
    EXPECT_EQ(echo->PayloadInteger(), value);
    EXPECT_EQ(client.Pending(100ms), 0u);  // no echo of what was sent, nothing else

    EXPECT_TRUE(Alive(simulator));
    EXPECT_TRUE(Alive(program.Pid()));
    EXPECT_EQ(ReadLink(com), port);
    ExpectStopsCleanly(program, SIGTERM, com);
}

struct SessionCase {
    std::string name;
    bool ownProcessGroup;
    int signal;
};

void PrintTo(const SessionCase& c, std::ostream* out) {
    *out << c.name;
}

class Session : public ::testing::TestWithParam<SessionCase> {};

// The simulator leads a session of its own with the port as its controlling terminal (so
// wineserver cannot take it); the process that was started stays in the caller's session and
// process group, where Ctrl+C and a terminal's hang-up reach it, and they stop the simulator.
TEST_P(Session, SimulatorLeadsItsOwnWithThePortAndTheStartedProcessStopsIt) {
    const SessionCase& c = GetParam();
    const WinePrefix prefix(TempPath("wineprefix"));
    const std::string com = prefix.Com(7);
    Launch launch = WithPrefix(prefix);
    launch.ownProcessGroup = c.ownProcessGroup;
    Program program({"--wine-com", "7"}, launch);
    ASSERT_TRUE(program.Started());
    const std::string port = program.FirstLine();
    ASSERT_TRUE(port.starts_with("/dev/pts/")) << port;
    struct stat device {};
    ASSERT_EQ(stat(port.c_str(), &device), 0);

    const pid_t simulator = Simulator(program);
    ASSERT_NE(simulator, 0);
    const auto served = ReadProcessState(simulator);
    ASSERT_TRUE(served);
    EXPECT_EQ(served->session, simulator);
    EXPECT_EQ(served->group, simulator);
    EXPECT_EQ(served->terminal, static_cast<unsigned long>(device.st_rdev));
    EXPECT_EQ(served->foregroundGroup, simulator);

    const auto started = ReadProcessState(program.Pid());
    ASSERT_TRUE(started);
    EXPECT_EQ(started->session, getsid(0));
    EXPECT_EQ(started->group, c.ownProcessGroup ? program.Pid() : getpgrp());

    ExpectStopsCleanly(program, c.signal, com);
    EXPECT_FALSE(Alive(simulator));
}

INSTANTIATE_TEST_SUITE_P(
    HowItIsStarted, Session,
    ::testing::Values(SessionCase{"InTheCallersGroupSigint", false, SIGINT},
                      SessionCase{"InTheCallersGroupSigterm", false, SIGTERM},
                      SessionCase{"LeadingItsGroupSigint", true, SIGINT},
                      SessionCase{"LeadingItsGroupSigterm", true, SIGTERM},
                      SessionCase{"LeadingItsGroupSighup", true, SIGHUP}),
    [](const auto& test) { return test.param.name; });

// The hang-up fault closes the pseudo-terminal, which hangs up the simulator's controlling
// terminal: the SIGHUP that brings must not end it.
TEST(WineCom, SurvivesItsOwnHangUp) {
    const WinePrefix prefix(TempPath("wineprefix"));
    const std::string com = prefix.Com(7);
    Program program({"--wine-com", "7", "--hangup-after", "1"}, WithPrefix(prefix));
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.FirstLine().starts_with("/dev/pts/"));
    const pid_t simulator = Simulator(program);
    ASSERT_NE(simulator, 0);
    {
        PtyClient client(com);
        ASSERT_TRUE(client.IsOpen());
        ASSERT_TRUE(client.Send(TextRequest(kReadFile, "/tmp/hw_type")));
        EXPECT_NE(client.Poll(kPatience) & POLLHUP, 0);
        EXPECT_FALSE(client.Receive(100ms));
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(Alive(simulator));
    EXPECT_TRUE(Alive(program.Pid()));
    ExpectStopsCleanly(program, SIGTERM, com);
}

// The started process killed outright takes the simulator with it, and the link goes.
TEST(WineCom, EndsWhenTheStartedProcessIsKilled) {
    const WinePrefix prefix(TempPath("wineprefix"));
    const std::string com = prefix.Com(7);
    Program program({"--wine-com", "7"}, WithPrefix(prefix));
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.FirstLine().starts_with("/dev/pts/"));
    const pid_t simulator = Simulator(program);
    ASSERT_NE(simulator, 0);
    program.Signal(SIGKILL);
    EXPECT_EQ(program.Ended(), 128 + SIGKILL);
    EXPECT_TRUE(Eventually([&] { return !Alive(simulator); }));
    EXPECT_TRUE(Eventually([&] { return !Exists(com); }));
}

}  // namespace
}  // namespace vyrsim::test
