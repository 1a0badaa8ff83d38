#include "sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "sim/device.h"
#include "sim/frame_log.h"
#include "sim/line_timing.h"
#include "sim/pty.h"

namespace vyrsim {

using serial_link::CommandFrame;
using serial_link::kFrameSize;
using serial_link::WireFrame;

namespace {

// Bytes of an unfinished frame are dropped after this much silence, so that one garbled
// request does not shift every later frame.
constexpr auto kIncompleteFrameTimeout = std::chrono::milliseconds(500);
// Shortest pause between two chunks of a paced reply.
constexpr auto kShortestPause = std::chrono::microseconds(500);

// Makes of the echo of a loopback request what the plan says: a repeat request or a wrong
// echo. Other replies stay as they are.
void ApplyEchoFault(Replies& replies, FaultPlan& plan) {
    if (replies.size() != 1 || replies[0].command != serial_link::kLoopbackTest)
        return;
    CommandFrame& echo = replies[0];
    switch (plan.Echo()) {
        case EchoFault::RepeatRequest:
            echo.command = serial_link::kRepeatRequest;
            break;
        case EchoFault::WrongValue:
            echo.SetPayloadInteger(echo.PayloadInteger() + 1);
            break;
        case EchoFault::None:
            break;
    }
}

// Opens the log for appending. Opened without blocking, so that a FIFO nobody reads fails at
// once (ENXIO) instead of holding up the start.
std::FILE* OpenLogFile(const std::string& path, std::string* error) {
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    const int flags = fd < 0 ? -1 : fcntl(fd, F_GETFL);
    std::FILE* file = nullptr;
    if (flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
        file = fdopen(fd, "a");
    if (file == nullptr) {
        if (error != nullptr)
            *error = "cannot open the log file " + path + ": " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
    }
    return file;
}

// The device's refusal of a request it will not serve.
CommandFrame Refusal(const CommandFrame& request) {
    CommandFrame refusal;
    refusal.command = serial_link::kRefused;
    refusal.name = request.name;
    refusal.SetPayloadText("Operation not permitted");
    return refusal;
}

timespec ToTimespec(SteadyClock::duration duration) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count();
    return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

}  // namespace

struct Simulator::Impl {
    explicit Impl(Options opts) : options(std::move(opts)), plan(options.faults) {}

    const Options options;

    // Shared between the device thread and the callers; guarded by `mutex`.
    mutable std::mutex mutex;
    Device device;
    FaultPlan plan;  // the faults set, with their counts
    std::vector<std::string> log;
    std::FILE* logFile = nullptr;
    int requests = 0;
    std::function<void(const CommandFrame&)> observer;
    bool lineOpen = false;
    std::condition_variable lineClosed;
    bool treeOpened = false;  // the tree directory is in use (it stays so across restarts)

    // The line itself: used by the device thread while it runs, else by the caller.
    PseudoTerminal pty;
    std::string portPath;
    int wakeFd = -1;
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> hangUpRequested{false};

    // Device thread only.
    FrameAssembler input;
    SteadyClock::time_point receiveFreeAt;  // when the incoming line finished its last frame
    SteadyClock::time_point sendFreeAt;     // when the outgoing line finished its last byte
    int staleCount = 0;

    // -- shared state --------------------------------------------------------------------

    void AppendLog(std::string line) {  // mutex held
        if (logFile != nullptr) {
            std::fputs(line.c_str(), logFile);
            std::fputc('\n', logFile);
            std::fflush(logFile);
        }
        log.push_back(std::move(line));
    }

    int CurrentBaud() const {
        std::lock_guard lock(mutex);
        return plan.Active().baud;
    }

    bool Interrupted() const { return stopRequested || hangUpRequested; }

    void Wake() const {  // mutex held: Release closes the descriptor under it
        if (wakeFd >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = write(wakeFd, &one, sizeof one);
        }
    }

    // -- the line ------------------------------------------------------------------------

    void CloseLine() {
        pty.Close();
        input.Clear();
        {
            std::lock_guard lock(mutex);
            lineOpen = false;
        }
        hangUpRequested = false;
        lineClosed.notify_all();
    }

    void ReadInput() {
        unsigned char buffer[4096];
        while (pty.IsOpen()) {
            const ssize_t count = read(pty.Master(), buffer, sizeof buffer);
            if (count <= 0)
                break;  // EAGAIN: all read
            input.Add(buffer, static_cast<std::size_t>(count), SteadyClock::now());
        }
    }

    // Waits until the deadline (none: until something happens) while taking in whatever
    // arrives on the line. False when the thread has to stop or hang up.
    bool Wait(std::optional<SteadyClock::time_point> deadline, bool forWriting = false) {
        pollfd fds[2] = {{wakeFd, POLLIN, 0}, {pty.Master(), POLLIN, 0}};
        if (forWriting)
            fds[1].events |= POLLOUT;
        const nfds_t count = pty.IsOpen() ? 2 : 1;
        timespec timeout{};
        if (deadline) {
            const auto left = *deadline - SteadyClock::now();
            timeout =
                ToTimespec(left > SteadyClock::duration::zero() ? left : SteadyClock::duration{});
        }
        const int ready = ppoll(fds, count, deadline ? &timeout : nullptr, nullptr);
        if (ready > 0) {
            if (fds[0].revents != 0) {
                std::uint64_t value;
                [[maybe_unused]] const ssize_t got = read(wakeFd, &value, sizeof value);
            }
            if (count == 2 && (fds[1].revents & POLLIN) != 0)
                ReadInput();
        }
        return !Interrupted();
    }

    bool WriteSome(const unsigned char* data, std::size_t size, std::size_t& sent) {
        const ssize_t written = write(pty.Master(), data + sent, size - sent);
        if (written > 0) {
            sent += static_cast<std::size_t>(written);
            return true;
        }
        return written < 0 && (errno == EAGAIN || errno == EINTR);
    }

    // Writes the bytes; at a baud rate each byte leaves when a UART would have sent it,
    // on a schedule fixed at the start so that the pauses never add up to a drift.
    bool WriteBytes(const unsigned char* data, std::size_t size, int baud) {
        std::size_t sent = 0;
        if (baud <= 0) {
            while (sent < size) {
                if (!pty.IsOpen() || !WriteSome(data, size, sent))
                    return false;
                if (sent < size && !Wait(std::nullopt, true))
                    return false;
            }
            return true;
        }
        const auto start = std::max(SteadyClock::now(), sendFreeAt);
        sendFreeAt = start + LineTime(size, baud);
        while (sent < size) {
            const auto now = SteadyClock::now();
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::nanoseconds>(now - start).count();
            std::size_t due = size;  // all of it once the schedule has run out
            if (now < sendFreeAt) {
                // Within the schedule the product stays far from overflowing at any baud rate.
                due = elapsed <= 0
                          ? 0
                          : std::min<std::size_t>(
                                size, static_cast<std::size_t>(elapsed * baud / 10'000'000'000LL));
            }
            bool full = false;
            if (due > sent) {
                const std::size_t before = sent;
                if (!pty.IsOpen() || !WriteSome(data, due, sent))
                    return false;
                full = sent == before;
            }
            if (sent == size)
                break;
            if (full) {  // the tool reads nothing: wait until the line takes bytes again
                if (!Wait(std::nullopt, true))
                    return false;
                continue;
            }
            // Pause at least a little between chunks, but never past the moment the last
            // byte is due, so a reply ends on time.
            const auto next = std::max(
                now, std::min(std::max(start + LineTime(sent + 1, baud), now + kShortestPause),
                              sendFreeAt));
            if (!Wait(next))
                return false;
        }
        return true;
    }

    bool Send(const CommandFrame& frame, std::size_t bytes, int baud) {
        std::string line = FormatFrameLine(Direction::Out, frame);
        if (bytes < kFrameSize)
            line += " (cut to " + std::to_string(bytes) + " bytes)";
        {
            std::lock_guard lock(mutex);
            AppendLog(std::move(line));
        }
        WireFrame wire;
        EncodeFrame(frame, wire);
        return WriteBytes(wire.data(), bytes, baud);
    }

    // -- requests ------------------------------------------------------------------------

    // The request's own faults are fixed as it arrives, before the observer runs; an observer
    // that sets the faults changes what the device does with this request (refused writes,
    // the loopback echo) and how the replies still to go are cut.
    void Serve(const WireFrame& wire) {
        CommandFrame request;
        DecodeFrame(wire, request);
        RequestPlan step;
        std::function<void(const CommandFrame&)> observe;
        {
            std::lock_guard lock(mutex);
            ++requests;
            AppendLog(FormatFrameLine(Direction::In, request));
            step = plan.Request(request.Name());
            observe = observer;
        }
        if (observe)
            observe(request);
        if (!pty.IsOpen() || Interrupted())
            return;
        if (step.fate == RequestFate::HangUp) {
            CloseLine();
            return;
        }
        if (step.fate == RequestFate::Unanswered)
            return;
        const Replies replies =
            step.fate == RequestFate::Refuse ? Replies{Refusal(request)} : Handle(request);
        if (replies.empty())
            return;
        if (step.latencyMs > 0 &&
            !Wait(SteadyClock::now() + std::chrono::milliseconds(step.latencyMs)))
            return;
        SendReplies(replies, step);
    }

    // The device's answer under the faults as they are now: an observer may just have set them.
    Replies Handle(const CommandFrame& request) {
        std::lock_guard lock(mutex);
        device.SetReadOnly(plan.RefusesWrites());
        Replies replies = device.Handle(request);
        ApplyEchoFault(replies, plan);
        return replies;
    }

    // Each reply after its stale frames; the plan cuts the replies as they go.
    void SendReplies(const Replies& replies, const RequestPlan& step) {
        for (const CommandFrame& reply : replies) {
            for (int i = 0; i < step.staleFrames; ++i) {
                CommandFrame stale;
                stale.command = serial_link::kReply;
                stale.SetName("/stale/" + std::to_string(++staleCount));
                if (!Send(stale, kFrameSize, step.baud))
                    return;
            }
            std::size_t bytes = 0;
            {
                std::lock_guard lock(mutex);
                bytes = plan.ReplyBytes();
            }
            if (!Send(reply, bytes, step.baud))
                return;
        }
    }

    // When the next frame counts as received: at once, or at a baud rate when all its bytes
    // would have crossed the line after its first one.
    SteadyClock::time_point ReadyAt(int baud) const {
        if (baud <= 0)
            return input.FirstByteTime();
        return std::max(input.FirstByteTime(), receiveFreeAt) + LineTime(kFrameSize, baud);
    }

    void ServeReadyFrames() {
        while (input.HasFrame() && pty.IsOpen() && !Interrupted()) {
            const int baud = CurrentBaud();
            const auto ready = ReadyAt(baud);
            if (SteadyClock::now() < ready)
                return;
            if (baud > 0)
                receiveFreeAt = ready;
            Serve(input.Take());
        }
    }

    void DropIncompleteFrame() {
        if (input.HasFrame() || input.Buffered() == 0 ||
            SteadyClock::now() < input.LastByteTime() + kIncompleteFrameTimeout)
            return;
        const std::size_t dropped = input.Clear();
        std::lock_guard lock(mutex);
        AppendLog("-- dropped " + std::to_string(dropped) + " bytes of an incomplete frame");
    }

    std::optional<SteadyClock::time_point> NextEvent() const {
        if (input.HasFrame())
            return ReadyAt(CurrentBaud());
        if (input.Buffered() > 0)
            return input.LastByteTime() + kIncompleteFrameTimeout;
        return std::nullopt;
    }

    void Run() {
        // Wake up on time: paced replies are scheduled to the microsecond.
        prctl(PR_SET_TIMERSLACK, 1UL);
        while (!stopRequested) {
            if (hangUpRequested)
                CloseLine();
            ServeReadyFrames();
            DropIncompleteFrame();
            if (!stopRequested && !hangUpRequested)
                Wait(NextEvent());
        }
    }

    // -- life ----------------------------------------------------------------------------

    // The symbolic links to the port that the options ask for.
    std::vector<const std::string*> Links() const {
        std::vector<const std::string*> links;
        for (const std::string* link : {&options.linkPath, &options.wineLinkPath}) {
            if (!link->empty())
                links.push_back(link);
        }
        return links;
    }

    bool Start(std::string* error) {
        if (running) {
            if (error != nullptr)
                *error = "the simulator is already running";
            return false;
        }
        if (!options.treePath.empty() && !treeOpened) {
            std::lock_guard lock(mutex);
            if (!device.UseDirectory(options.treePath, error))
                return false;
            treeOpened = true;
        }
        if (!pty.Open(error))
            return false;
        portPath = pty.SlavePath();
        int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        {
            std::lock_guard lock(mutex);
            wakeFd = wake;
        }
        if (wake < 0) {
            if (error != nullptr)
                *error = "eventfd failed";
            Release();
            return false;
        }
        if (!options.logPath.empty()) {
            std::FILE* file = OpenLogFile(options.logPath, error);
            if (file == nullptr) {
                Release();  // takes the mutex itself
                return false;
            }
            std::lock_guard lock(mutex);
            logFile = file;
        }
        if (options.controllingTerminal && !pty.TakeAsControllingTerminal(error)) {
            Release();
            return false;
        }
        for (const std::string* link : Links()) {
            if (!ReplaceSymlink(*link, portPath, error)) {
                Release();
                return false;
            }
        }
        {
            std::lock_guard lock(mutex);
            lineOpen = true;
        }
        input.Clear();
        receiveFreeAt = sendFreeAt = SteadyClock::time_point{};
        stopRequested = false;
        hangUpRequested = false;
        running = true;
        thread = std::thread([this] { Run(); });
        return true;
    }

    void Stop() {
        if (!running)
            return;
        stopRequested = true;
        {
            std::lock_guard lock(mutex);
            Wake();
        }
        thread.join();
        running = false;
        Release();
    }

    // Closes everything Start opened.
    void Release() {
        CloseLine();
        for (const std::string* link : Links())
            RemoveSymlink(*link, portPath);
        std::lock_guard lock(mutex);
        if (wakeFd >= 0)
            close(wakeFd);
        wakeFd = -1;
        if (logFile != nullptr)
            std::fclose(logFile);
        logFile = nullptr;
    }

    void HangUp() {
        if (!running || std::this_thread::get_id() == thread.get_id()) {
            CloseLine();
            return;
        }
        std::unique_lock lock(mutex);
        if (!lineOpen)
            return;
        hangUpRequested = true;
        Wake();
        lineClosed.wait(lock, [this] { return !lineOpen; });
    }
};

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() {
    Stop();
}

bool Simulator::Start(std::string* error) {
    return impl_->Start(error);
}

void Simulator::Stop() {
    impl_->Stop();
}

const std::string& Simulator::PortPath() const {
    return impl_->portPath;
}

void Simulator::SetFaults(const Faults& faults) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->plan = FaultPlan(faults);  // the counts start again
        impl_->Wake();  // a new baud rate may change when the next frame is due
    }
}

Faults Simulator::GetFaults() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->plan.Active();
}

std::optional<std::string> Simulator::ReadFile(const std::string& path) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->device.Files().Read(path);
}

void Simulator::WriteFile(const std::string& path, const std::string& content) {
    std::lock_guard lock(impl_->mutex);
    impl_->device.Files().Write(path, content);
}

void Simulator::RemoveFile(const std::string& path) {
    std::lock_guard lock(impl_->mutex);
    impl_->device.Files().Remove(path);
}

std::vector<std::string> Simulator::Log() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->log;
}

void Simulator::ClearLog() {
    std::lock_guard lock(impl_->mutex);
    impl_->log.clear();
}

int Simulator::RequestsReceived() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

void Simulator::SetRequestObserver(std::function<void(const CommandFrame&)> observer) {
    std::lock_guard lock(impl_->mutex);
    impl_->observer = std::move(observer);
}

void Simulator::HangUp() {
    impl_->HangUp();
}

}  // namespace vyrsim
