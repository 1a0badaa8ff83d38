// Runs the built vyrsim program as a child process, for the tests of the program itself.
#pragma once

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "pty_client.h"

namespace vyrsim::test {

// How a test starts the program.
struct Launch {
    bool ignoreSigint = false;      // as a shell script starts a program in the background
    bool ownProcessGroup = false;   // as an interactive shell starts one: it leads its group
    // Environment variables to set (a value) or to unset (nothing); the rest is inherited.
    std::vector<std::pair<std::string, std::optional<std::string>>> environment{};
};

// vyrsim as a child process with pipes on its standard output and error. A child still running
// when the test ends is killed.
class Program {
  public:
    explicit Program(std::vector<std::string> args, const Launch& launch = {}) {
        args.insert(args.begin(), VYRSIM);
        // Built before fork: the child only calls what is safe there.
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<std::string> environment = Environment(launch.environment);
        std::vector<char*> envp;
        for (std::string& variable : environment)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
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
            signal(SIGINT, launch.ignoreSigint ? SIG_IGN : SIG_DFL);
            signal(SIGHUP, SIG_DFL);
            if (launch.ownProcessGroup)
                setpgid(0, 0);
            execve(VYRSIM, argv.data(), envp.data());
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
    static std::vector<std::string> Environment(
        const std::vector<std::pair<std::string, std::optional<std::string>>>& changes) {
        std::vector<std::string> variables;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string_view entry = *variable;
            const std::string_view name = entry.substr(0, entry.find('='));
            if (std::none_of(changes.begin(), changes.end(),
                             [&](const auto& change) { return change.first == name; }))
                variables.emplace_back(entry);
        }
        for (const auto& [name, value] : changes) {
            if (value)
                variables.push_back(name + "=" + *value);
        }
        return variables;
    }

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

inline std::string TempPath(const std::string& stem) {
    return "/tmp/vyrsim-" + stem + "-" + std::to_string(getpid());
}

inline bool Exists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

inline std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

// One line on standard error, naming the program.
inline void ExpectOneLineMessage(const std::string& errors, const std::string& part) {
    EXPECT_TRUE(errors.starts_with("vyrsim: ")) << errors;
    EXPECT_TRUE(errors.ends_with("\n")) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find(part), std::string::npos) << errors << " lacks " << part;
}

}  // namespace vyrsim::test
