// The vyrsim program: start, port path on the first line, symbolic link, options, and stopping
// on SIGINT and SIGTERM whatever it is doing.
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include "pty_client.h"

namespace vyrsim::test {
namespace {

// vyrsim as a child process with pipes on its standard output and error. A child still running
// when the test ends is killed.
class Program {
  public:
    explicit Program(std::vector<std::string> args, bool ignoreSigint = false) {
        args.insert(args.begin(), VYRSIM);
        std::vector<char*> argv;  // built before fork: the child only calls what is safe there
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return;
        if (pipe2(err, O_CLOEXEC) != 0) {
            close(out[0]);
            close(out[1]);
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            dup2(err[1], 2);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            // As a shell script starts a program in the background.
            signal(SIGINT, ignoreSigint ? SIG_IGN : SIG_DFL);
            execv(VYRSIM, argv.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }

    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
        if (err_ >= 0)
            close(err_);
    }

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    void Signal(int signal) const { kill(pid_, signal); }

    // The first line on its standard output (the port), or "" when none comes in time.
    std::string FirstLine() {
        std::string line;
        unsigned char c = 0;
        while (ReadByte(out_, c) && c != '\n')
            line += static_cast<char>(c);
        return line;
    }

    // Its exit status once it has ended (128 + the number of a signal that ended it), or
    // nothing when it is still running after `timeout`; then it is killed.
    std::optional<int> Ended(Milliseconds timeout = kPatience) {
        const auto deadline = Clock::now() + timeout;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                pid_ = -1;
                return std::nullopt;
            }
            std::this_thread::sleep_for(5ms);
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // What it wrote, once it has ended.
    std::string Output() { return ReadAll(out_); }
    std::string Errors() { return ReadAll(err_); }

    // Whether one of its threads is blocked writing into a pipe.
    bool BlockedOnAPipe() const {
        const std::string tasks = "/proc/" + std::to_string(pid_) + "/task";
        DIR* dir = opendir(tasks.c_str());
        bool blocked = false;
        while (dir != nullptr && !blocked) {
            const dirent* entry = readdir(dir);
            if (entry == nullptr)
                break;
            std::ifstream wchan(tasks + "/" + entry->d_name + "/wchan");
            std::string where;
            std::getline(wchan, where);
            blocked = where.find("pipe_write") != std::string::npos;
        }
        if (dir != nullptr)
            closedir(dir);
        return blocked;
    }

  private:
    static bool ReadByte(int fd, unsigned char& c) {
        pollfd pfd{fd, POLLIN, 0};
        return poll(&pfd, 1, static_cast<int>(kPatience.count())) > 0 && read(fd, &c, 1) == 1;
    }

    static std::string ReadAll(int fd) {
        std::string text;
        unsigned char c = 0;
        while (ReadByte(fd, c))
            text += static_cast<char>(c);
        return text;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

std::string TempPath(const std::string& stem) {
    return "/tmp/vyrsim-" + stem + "-" + std::to_string(getpid());
}

bool Exists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

// One line on standard error, naming the program.
void ExpectOneLineMessage(const std::string& errors, const std::string& part) {
    EXPECT_TRUE(errors.starts_with("vyrsim: ")) << errors;
    EXPECT_TRUE(errors.ends_with("\n")) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find(part), std::string::npos) << errors << " lacks " << part;
}

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
             {"--link", "--log", "--latency", "--baud", "--silent", "--drop-every", "--stale",
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
    Program program({}, true);
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
