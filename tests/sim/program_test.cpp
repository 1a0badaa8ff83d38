// The vyrsim program: start, port path on the first line, symbolic link, clean stop.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "pty_client.h"

namespace vyrsim::test {
namespace {

struct Child {
    pid_t pid = -1;
    int out = -1;  // its standard output
    int err = -1;  // its standard error
};

Child Spawn(std::vector<std::string> args) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        std::vector<char*> argv;
        args.insert(args.begin(), VYRSIM);
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(VYRSIM, argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    return {pid, out[0], err[0]};
}

std::string ReadLine(int fd) {
    std::string line;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Program, ServesOnItsPortAndStopsCleanlyOnSigterm) {
    const std::string link = "/tmp/vyrsim-link-" + std::to_string(getpid());
    const std::string log = "/tmp/vyrsim-prog-" + std::to_string(getpid()) + ".log";
    ASSERT_EQ(symlink("/nonexistent", link.c_str()), 0);  // an old link is replaced
    Child child = Spawn({"--link", link, "--log", log, "--stale", "1"});
    ASSERT_GT(child.pid, 0);
    const std::string port = ReadLine(child.out);
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
    kill(child.pid, SIGTERM);
    EXPECT_EQ(Wait(child.pid), 0);
    EXPECT_NE(access(link.c_str(), F_OK), 0);
    struct stat status;
    EXPECT_NE(lstat(link.c_str(), &status), 0);  // the link is gone, not only dangling
    std::ifstream file(log);
    std::string first;
    std::getline(file, first);
    EXPECT_EQ(first, R"(in  1 /tmp/hw_type text "")");
    unlink(log.c_str());
    close(child.out);
    close(child.err);
}

TEST(Program, BadOptionsGiveUsageAndStatus1) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--bogus"},
                                          {"--baud"},
                                          {"--baud", "0"},
                                          {"--latency", "x"},
                                          {"--repeat-requests", "-2"},
                                          {"--hangup-after", "3x"}}) {
        Child child = Spawn(args);
        ASSERT_GT(child.pid, 0);
        EXPECT_EQ(ReadAll(child.out), "") << args[0];
        EXPECT_NE(ReadAll(child.err).find("usage: vyrsim"), std::string::npos) << args[0];
        EXPECT_EQ(Wait(child.pid), 1) << args[0];
        close(child.out);
        close(child.err);
    }
}

TEST(Program, HelpGoesToStandardOutput) {
    Child child = Spawn({"--help"});
    EXPECT_NE(ReadAll(child.out).find("--hangup-after"), std::string::npos);
    EXPECT_EQ(Wait(child.pid), 0);
    close(child.out);
    close(child.err);
}

}  // namespace
}  // namespace vyrsim::test
