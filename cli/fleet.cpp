#include "cli/fleet.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <functional>
#include <sstream>
#include <streambuf>
#include <thread>

#include "cli/console.h"
#include "cli/json_text.h"
#include "cli/terminal.h"
#include "device/progress.h"

namespace vyr::cli {

namespace {

struct StatusEntry {
    int status;
    std::string_view text;
};

constexpr StatusEntry kStatusTexts[] = {
    {kExitDone, "done"},
    {kExitUsage, "usage error"},
    {kExitPortFailed, "port cannot be opened"},
    {kExitNoSync, "device does not answer"},
    {kExitFileAccess, "file cannot be opened or written"},
    {kExitFileFormat, "invalid settings file format"},
    {kExitFileCorrupted, "settings file corrupted"},
    {kExitLoginRefused, "login refused"},
    {kExitCommunication, "communication error"},
    {kExitAnswerNo, "the answer is no"},
    {kExitLacking, "complete, but the device lacks some values"},
};

// Hands on whole lines of one port's stream, one at a time.
class LineBuffer final : public std::streambuf {
  public:
    explicit LineBuffer(std::function<void(std::string_view)> emit) : emit_(std::move(emit)) {}

    // A last line without its line feed is ended.
    void Finish() {
        if (!pending_.empty())
            Put('\n');
    }

  protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            Put(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        for (std::streamsize i = 0; i < count; ++i)
            Put(text[i]);
        return count;
    }

  private:
    void Put(char c) {
        pending_ += c;
        if (c == '\n') {
            emit_(pending_);
            pending_.clear();
        }
    }

    std::function<void(std::string_view)> emit_;
    std::string pending_;
};

// One port's progress: its line on the terminal, or a JSON event at most once a second.
class PortProgress final : public Progress {
  public:
    PortProgress(Console& console, std::size_t row, const std::string& port, bool json)
        : console_(console), row_(row), port_(port), json_(json) {}

    void Report(int done, int total, std::string_view, int) override {
        if (!json_) {
            console_.Progress(row_, done, total);
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (reported_ && now - last_ < std::chrono::seconds(1))
            return;
        reported_ = true;
        last_ = now;
        console_.Write(false, "{\"port\":" + JsonString(port_) +
                                  ",\"event\":\"progress\",\"done\":" + std::to_string(done) +
                                  ",\"total\":" + std::to_string(total) + "}\n");
    }

  private:
    Console& console_;
    std::size_t row_;
    const std::string& port_;
    bool json_;
    bool reported_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// The final JSON object of a port: its status, its messages and the lines of its data.
std::string ResultObject(const std::string& port, int status, std::string message,
                         const std::string& data) {
    while (!message.empty() && message.back() == '\n')
        message.pop_back();
    if (message.empty())
        message = StatusText(status);
    std::string json = "{\"port\":" + JsonString(port) +
                       ",\"event\":\"result\",\"status\":" + std::to_string(status) +
                       ",\"message\":" + JsonString(message) + ",\"data\":[";
    std::size_t start = 0;
    for (bool first = true; start < data.size(); first = false) {
        const auto end = std::min(data.find('\n', start), data.size());
        json += (first ? "" : ",") + JsonString(std::string_view(data).substr(start, end - start));
        start = end + 1;
    }
    return json + "]}\n";
}

// The command, with anything it throws reported as a failure of its port.
int RunGuarded(const DeviceRun& run, const DeviceOptions& options, Streams io) {
    try {
        return run(options, io);
    } catch (const std::exception& failure) {
        io.err << "vyrctl: " << options.port << ": " << failure.what() << '\n';
    }
    return kExitCommunication;
}

int RunPort(const DeviceOptions& shared, std::size_t row, const DeviceRun& run, Console& console) {
    DeviceOptions options = shared;
    options.port = shared.ports[row];
    PortProgress progress(console, row, options.port, options.json);
    if (options.json) {
        std::ostringstream out, err;
        const int status = RunGuarded(run, options, {out, err, &progress});
        console.Write(false, ResultObject(options.port, status, err.str(), out.str()));
        return status;
    }
    const std::string prefix = options.port + ": ";
    LineBuffer outLines(
        [&](std::string_view line) { console.Write(false, prefix + std::string(line)); });
    LineBuffer errLines(
        [&](std::string_view line) { console.Write(true, prefix + std::string(line)); });
    std::ostream out(&outLines), err(&errLines);
    const int status = RunGuarded(run, options, {out, err, &progress});
    outLines.Finish();
    errLines.Finish();
    console.Finish(row, StatusText(status));
    return status;
}

}  // namespace

std::string_view StatusText(int status) {
    for (const StatusEntry& entry : kStatusTexts) {
        if (entry.status == status)
            return entry.text;
    }
    return "failed";
}

int RunOnEveryPort(const DeviceOptions& options, const DeviceRun& run, Streams io) {
    FileClaims claims;
    DeviceOptions shared = options;
    shared.claims = &claims;
    Console console(io, options.ports, !options.json && IsTerminal(stderr),
                    TerminalColumns(stderr));
    std::vector<int> statuses(options.ports.size(), kExitCommunication);
    {
        std::vector<std::jthread> threads;
        for (std::size_t row = 0; row < options.ports.size(); ++row) {
            const auto work = [&, row] { statuses[row] = RunPort(shared, row, run, console); };
            try {
                threads.emplace_back(work);
            } catch (const std::system_error&) {
                work();  // no thread to spare: this port runs here
            }
        }
    }
    if (options.ports.size() > 1) {
        for (std::size_t row = 0; row < options.ports.size(); ++row)
            io.err << options.ports[row] << ": " << StatusText(statuses[row]) << '\n';
    }
    return *std::max_element(statuses.begin(), statuses.end());
}

}  // namespace vyr::cli
