// vyrsim: answers the device's protocol on a pseudo-terminal until SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/pty.h"
#include "sim/session.h"
#include "sim/simulator.h"

namespace {

constexpr const char* kUsage =
    "usage: vyrsim [options]\n"
    "Prints the path of its pseudo-terminal on the first line, then answers the device's\n"
    "protocol there until it is interrupted.\n"
    "  --link PATH           also make a symbolic link PATH to the port (removed at exit)\n"
    "  --wine-com N          also make Wine's COM port N ($WINEPREFIX/dosdevices/comN) a link\n"
    "                        to the port, held raw as this program's controlling terminal\n"
    "  --log FILE            append one line per frame in each direction to FILE\n"
    "  --tree DIR            keep the device's files in directory DIR, so that they outlast\n"
    "                        the run (an empty DIR is filled with the factory state)\n"
    "  --latency MS          wait MS milliseconds before each answer\n"
    "  --baud N              take as long as a UART at N baud for requests and answers\n"
    "  --silent              answer nothing\n"
    "  --drop-every N        leave every Nth request unanswered\n"
    "  --stale N             send N stale frames before each answer\n"
    "  --partial-every N     cut every Nth answer to 300 bytes\n"
    "  --wrong-first-echo    echo the first loopback test with a wrong value\n"
    "  --repeat-requests N   ask for N repeats of the loopback test (-1: for ever)\n"
    "  --hangup-after N      hang up on the Nth request\n"
    "  --refuse-writes       refuse every file write and appended line\n"
    "  --silent-to NAME      answer no request of NAME (a path or a command tag)\n"
    "  --refuse NAME         refuse every request of NAME (a path or a command tag)\n"
    "  --help                show this text\n";

// After a stop signal the simulator has this long to stop; past it the program leaves without
// waiting for it (a log file that takes no more lines can hold its thread for ever).
constexpr auto kStopGrace = std::chrono::seconds(1);

// What is wrong with an option's value, or nothing.
using Setter = std::optional<std::string> (*)(vyrsim::Options& options, std::string_view value);

std::optional<std::string> Number(std::string_view text, int lowest, int& out,
                                  int highest = INT_MAX) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range)
        return std::string(text) + " is out of range";
    if (ec != std::errc{} || end != text.data() + text.size())
        return "takes a whole number, not \"" + std::string(text) + "\"";
    if (value < lowest)
        return "must be at least " + std::to_string(lowest) + ", not " + std::string(text);
    if (value > highest)
        return "must be at most " + std::to_string(highest) + ", not " + std::string(text);
    out = value;
    return std::nullopt;
}

std::optional<std::string> Path(std::string_view text, std::string& out) {
    if (text.empty())
        return std::string("needs a path, not an empty text");
    out = text;
    return std::nullopt;
}

// Wine's COM port: the link in the Wine prefix's dosdevices folder, which must be there, and the
// port held as this program's controlling terminal so that wineserver cannot take it.
std::optional<std::string> WineCom(std::string_view text, vyrsim::Options& options) {
    int port = 0;
    if (auto wrong = Number(text, 1, port, 256))
        return wrong;
    std::string problem;
    if (!vyrsim::WineComLink(port, options.wineLinkPath, &problem))
        return problem;
    options.controllingTerminal = true;
    return std::nullopt;
}

std::optional<std::string> Flag(bool& out) {
    out = true;
    return std::nullopt;
}

struct Option {
    std::string_view name;
    bool takesValue;
    Setter set;
};

constexpr Option kOptions[] = {
    {"--link", true, [](vyrsim::Options& o, std::string_view v) { return Path(v, o.linkPath); }},
    {"--wine-com", true, [](vyrsim::Options& o, std::string_view v) { return WineCom(v, o); }},
    {"--log", true, [](vyrsim::Options& o, std::string_view v) { return Path(v, o.logPath); }},
    {"--tree", true, [](vyrsim::Options& o, std::string_view v) { return Path(v, o.treePath); }},
    {"--latency", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 0, o.faults.latencyMs); }},
    {"--baud", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 1, o.faults.baud); }},
    {"--silent", false, [](vyrsim::Options& o, std::string_view) { return Flag(o.faults.silent); }},
    {"--drop-every", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 1, o.faults.dropEvery); }},
    {"--stale", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 0, o.faults.staleFrames); }},
    {"--partial-every", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 1, o.faults.partialEvery); }},
    {"--wrong-first-echo", false,
     [](vyrsim::Options& o, std::string_view) { return Flag(o.faults.wrongFirstEcho); }},
    {"--repeat-requests", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, -1, o.faults.repeatRequests); }},
    {"--hangup-after", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 1, o.faults.hangupAfter); }},
    {"--refuse-writes", false,
     [](vyrsim::Options& o, std::string_view) { return Flag(o.faults.refuseWrites); }},
    {"--silent-to", true,
     [](vyrsim::Options& o, std::string_view v) { return Path(v, o.faults.silentName); }},
    {"--refuse", true,
     [](vyrsim::Options& o, std::string_view v) { return Path(v, o.faults.refuseName); }},
};

enum class Parsed { Run, Help, Bad };

// Reads the command line into `options`; on a bad option, `problem` says what is wrong.
Parsed ParseArguments(int argc, char** argv, vyrsim::Options& options, std::string& problem) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help")
            return Parsed::Help;
        const Option* option = nullptr;
        for (const Option& candidate : kOptions) {
            if (candidate.name == arg)
                option = &candidate;
        }
        if (option == nullptr) {
            problem = (arg.starts_with("-") ? "unknown option " : "unexpected argument ") +
                      std::string(arg);
            return Parsed::Bad;
        }
        std::string_view value;
        if (option->takesValue) {
            // An option in its place means the value was forgotten.
            if (i + 1 >= argc || std::string_view(argv[i + 1]).starts_with("--")) {
                problem = std::string(arg) + " needs a value";
                return Parsed::Bad;
            }
            value = argv[++i];
        }
        if (const auto wrong = option->set(options, value)) {
            problem = std::string(arg) + " " + *wrong;
            return Parsed::Bad;
        }
    }
    return Parsed::Run;
}

// SIGINT and SIGTERM, taken by a thread of its own so that they are seen in every state, the
// start included. They must be blocked in every thread before it starts.
class StopSignals {
  public:
    StopSignals(const sigset_t& signals, std::vector<std::string> links)
        : signals_(signals), links_(std::move(links)), thread_([this] { Watch(); }) {}

    ~StopSignals() {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        changed_.notify_all();
        pthread_kill(thread_.native_handle(), SIGTERM);  // ends its sigwait, if it still waits
        thread_.join();
    }

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The port, once there is one: a forced exit removes the links to it.
    void SetPort(const std::string& port) {
        std::lock_guard lock(mutex_);
        port_ = port;
    }

    void WaitForSignal() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return signalled_; });
    }

  private:
    void Watch() {
        int signal = 0;
        sigwait(&signals_, &signal);
        std::unique_lock lock(mutex_);
        if (closing_)
            return;
        signalled_ = true;
        changed_.notify_all();
        if (changed_.wait_for(lock, kStopGrace, [this] { return closing_; }))
            return;
        std::fprintf(stderr, "vyrsim: the simulator did not stop within %lld ms; leaving now\n",
                     static_cast<long long>(std::chrono::milliseconds(kStopGrace).count()));
        for (const std::string& link : links_) {
            if (!link.empty() && !port_.empty())
                vyrsim::RemoveSymlink(link, port_);
        }
        _exit(1);
    }

    const sigset_t signals_;
    const std::vector<std::string> links_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
    bool closing_ = false;
    std::string port_;
    std::thread thread_;  // last: it uses the members above
};

}  // namespace

int main(int argc, char** argv) {
    vyrsim::Options options;
    std::string problem;
    switch (ParseArguments(argc, argv, options, problem)) {
        case Parsed::Help:
            std::cout << kUsage;
            return 0;
        case Parsed::Bad:
            std::cerr << "vyrsim: " << problem << " (vyrsim --help lists the options)\n";
            return 1;
        case Parsed::Run:
            break;
    }

    // Blocked before any thread starts, so that only the watching thread takes them. A blocked
    // signal stays pending even when it is ignored (as a shell script's background job starts
    // with SIGINT), so sigwait sees it all the same.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // Taking the port as controlling terminal needs a session of our own; the process that
    // was started stays behind in the caller's, for Ctrl+C and the exit status.
    if (options.controllingTerminal) {
        std::string error;
        if (const auto status = vyrsim::ContinueInNewSession(&error)) {
            if (!error.empty())
                std::cerr << "vyrsim: " << error << "\n";
            return *status;
        }
        // Closing the master (at exit, or a hang-up fault) hangs up the controlling terminal,
        // which sends SIGHUP to us: it must not end the program.
        signal(SIGHUP, SIG_IGN);
    }

    StopSignals stop(stopSignals, {options.linkPath, options.wineLinkPath});

    vyrsim::Simulator simulator(options);
    std::string error;
    if (!simulator.Start(&error)) {
        std::cerr << "vyrsim: " << error << "\n";
        return 1;
    }
    stop.SetPort(simulator.PortPath());
    std::cout << simulator.PortPath() << std::endl;

    stop.WaitForSignal();
    simulator.Stop();
    return 0;
}
