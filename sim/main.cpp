// vyrsim: answers the device's protocol on a pseudo-terminal until SIGINT or SIGTERM.
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "sim/simulator.h"

namespace {

constexpr const char* kUsage =
    "usage: vyrsim [options]\n"
    "Prints the path of its pseudo-terminal on the first line, then answers the device's\n"
    "protocol there until it is interrupted.\n"
    "  --link PATH           also make a symbolic link PATH to the port (removed at exit)\n"
    "  --log FILE            append one line per frame in each direction to FILE\n"
    "  --latency MS          wait MS milliseconds before each answer\n"
    "  --baud N              take as long as a UART at N baud for requests and answers\n"
    "  --silent              answer nothing\n"
    "  --drop-every N        leave every Nth request unanswered\n"
    "  --stale N             send N stale frames before each answer\n"
    "  --partial-every N     cut every Nth answer to 300 bytes\n"
    "  --wrong-first-echo    echo the first loopback test with a wrong value\n"
    "  --repeat-requests N   ask for N repeats of the loopback test (-1: for ever)\n"
    "  --hangup-after N      hang up on the Nth request\n"
    "  --help                show this text\n";

using Setter = bool (*)(vyrsim::Options& options, std::string_view value);

bool Number(std::string_view text, int lowest, int& out) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < lowest)
        return false;
    out = value;
    return true;
}

struct Option {
    std::string_view name;
    bool takesValue;
    Setter set;
};

constexpr Option kOptions[] = {
    {"--link", true,
     [](vyrsim::Options& o, std::string_view v) {
         o.linkPath = v;
         return !v.empty();
     }},
    {"--log", true,
     [](vyrsim::Options& o, std::string_view v) {
         o.logPath = v;
         return !v.empty();
     }},
    {"--latency", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 0, o.faults.latencyMs); }},
    {"--baud", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 1, o.faults.baud); }},
    {"--silent", false,
     [](vyrsim::Options& o, std::string_view) { return o.faults.silent = true; }},
    {"--drop-every", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 1, o.faults.dropEvery); }},
    {"--stale", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 0, o.faults.staleFrames); }},
    {"--partial-every", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 1, o.faults.partialEvery); }},
    {"--wrong-first-echo", false,
     [](vyrsim::Options& o, std::string_view) { return o.faults.wrongFirstEcho = true; }},
    {"--repeat-requests", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, -1, o.faults.repeatRequests); }},
    {"--hangup-after", true,
     [](vyrsim::Options& o, std::string_view v) { return Number(v, 1, o.faults.hangupAfter); }},
};

int Usage(const std::string& problem) {
    std::cerr << "vyrsim: " << problem << "\n" << kUsage;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    vyrsim::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        const Option* option = nullptr;
        for (const Option& candidate : kOptions) {
            if (candidate.name == arg)
                option = &candidate;
        }
        if (option == nullptr)
            return Usage("unknown option " + std::string(arg));
        std::string_view value;
        if (option->takesValue) {
            if (i + 1 >= argc)
                return Usage(std::string(arg) + " needs a value");
            value = argv[++i];
        }
        if (!option->set(options, value))
            return Usage("bad value for " + std::string(arg) + ": " + std::string(value));
    }

    // The signals are taken by sigwait below; blocking them first keeps them away from the
    // simulator's thread, which inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    vyrsim::Simulator simulator(options);
    std::string error;
    if (!simulator.Start(&error)) {
        std::cerr << "vyrsim: " << error << "\n";
        return 2;
    }
    std::cout << simulator.PortPath() << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    simulator.Stop();
    return 0;
}
