// The loopback test and the fault modes, seen at the byte level on the client's side.
// Timings are checked from below (nothing comes before it is due); from above only with the
// patience, which a working simulator never comes near.
#include <time.h>

#include <atomic>
#include <limits>
#include <thread>

#include "pty_client.h"

namespace vyrsim::test {
namespace {

using namespace serial_link;

// Time a UART at `baud` takes for `bytes` bytes of 10 bits each.
std::chrono::nanoseconds OnTheLine(std::size_t bytes, int baud) {
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * 10'000'000'000LL / baud);
}

std::chrono::nanoseconds ProcessCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

class Faulty : public SimTest {
  protected:
    std::optional<CommandFrame> Loopback(std::int32_t value) {
        return Exchange(IntegerRequest(kLoopbackTest, "LOOPBACKTEST", value));
    }
    CommandFrame ReadRequest() { return TextRequest(kReadFile, "/chroma/hw_version"); }
};

TEST_F(Faulty, LoopbackEchoesTheValue) {
    for (std::int32_t value : {1234, 0, -2, 32767}) {
        auto echo = Loopback(value);
        ASSERT_TRUE(echo);
        EXPECT_EQ(echo->command, kLoopbackTest);
        EXPECT_EQ(echo->Name(), "LOOPBACKTEST");
        EXPECT_EQ(echo->payload_is_text, 0u);
        EXPECT_EQ(echo->PayloadInteger(), value);
    }
}

TEST_F(Faulty, WrongFirstEcho) {
    sim.SetFaults({.wrongFirstEcho = true});
    EXPECT_EQ(Loopback(77)->PayloadInteger(), 78);
    EXPECT_EQ(Loopback(77)->PayloadInteger(), 77);
    EXPECT_EQ(Loopback(5)->PayloadInteger(), 5);
    sim.SetFaults({.wrongFirstEcho = true});  // setting the faults starts again
    EXPECT_EQ(Loopback(5)->PayloadInteger(), 6);
}

TEST_F(Faulty, RepeatRequests) {
    sim.SetFaults({.repeatRequests = 2});
    for (int i = 0; i < 2; ++i) {
        auto reply = Loopback(9);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->command, kRepeatRequest);
        EXPECT_EQ(reply->Name(), "LOOPBACKTEST");
    }
    EXPECT_EQ(Loopback(9)->command, kLoopbackTest);
    // Other requests are not affected, and -1 asks for repeats for ever.
    EXPECT_EQ(Exchange(ReadRequest())->command, kReply);
    sim.SetFaults({.repeatRequests = -1});
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(Loopback(9)->command, kRepeatRequest);
}

TEST_F(Faulty, StaleFramesComeBeforeEachReply) {
    sim.SetFaults({.staleFrames = 2});
    ASSERT_TRUE(client->Send(ReadRequest()));
    for (const char* name : {"/stale/1", "/stale/2"}) {
        auto stale = client->Receive();
        ASSERT_TRUE(stale);
        EXPECT_EQ(stale->command, kReply);
        EXPECT_EQ(stale->Name(), name);
    }
    auto reply = client->Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Name(), "/chroma/hw_version");
    EXPECT_EQ(reply->PayloadText(), "C2\n");
    EXPECT_EQ(client->Pending(100ms), 0u);
    EXPECT_EQ(Exchange(ReadRequest())->Name(), "/stale/3");
}

TEST_F(Faulty, EveryNthReplyIsCut) {
    sim.SetFaults({.partialEvery = 2});
    EXPECT_EQ(Exchange(ReadRequest())->PayloadText(), "C2\n");
    ASSERT_TRUE(client->Send(ReadRequest()));
    WireFrame wire;
    EXPECT_EQ(client->ReadBytes(wire.data(), 300, kPatience), 300u);
    EXPECT_EQ(client->Pending(100ms), 0u);  // nothing of the rest comes after all
    EXPECT_EQ(Exchange(ReadRequest())->PayloadText(), "C2\n");
}

TEST_F(Faulty, EveryNthRequestIsDropped) {
    sim.SetFaults({.dropEvery = 2});
    EXPECT_TRUE(Exchange(ReadRequest()));
    ASSERT_TRUE(client->Send(ReadRequest()));
    EXPECT_EQ(client->Pending(200ms), 0u);
    EXPECT_TRUE(Exchange(ReadRequest()));
    EXPECT_EQ(sim.RequestsReceived(), 3);
}

TEST_F(Faulty, SilentCountsButAnswersNothing) {
    sim.SetFaults({.silent = true});
    ASSERT_TRUE(client->Send(ReadRequest()));
    ASSERT_TRUE(client->Send(IntegerRequest(kLoopbackTest, "LOOPBACKTEST", 1)));
    ASSERT_TRUE(Eventually([&] { return sim.RequestsReceived() == 2; }));
    EXPECT_EQ(client->Pending(200ms), 0u);
    EXPECT_EQ(sim.Log(), (std::vector<std::string>{R"(in  1 /chroma/hw_version text "")",
                                                   "in  4 LOOPBACKTEST int 1"}));
    sim.SetFaults({});
    EXPECT_TRUE(Exchange(ReadRequest()));
}

TEST_F(Faulty, LatencyDelaysTheReply) {
    sim.SetFaults({.latencyMs = 200});
    const auto start = Clock::now();
    ASSERT_TRUE(client->Send(ReadRequest()));
    WireFrame wire;
    ASSERT_EQ(client->ReadBytes(wire.data(), 1, kPatience), 1u);
    EXPECT_GE(Clock::now() - start, 200ms);  // its first byte, not before the latency
    EXPECT_EQ(client->ReadBytes(wire.data() + 1, wire.size() - 1, kPatience), wire.size() - 1);
}

TEST_F(Faulty, HangUpAfterNRequests) {
    sim.SetFaults({.hangupAfter = 2});
    EXPECT_TRUE(Exchange(ReadRequest()));
    ASSERT_TRUE(client->Send(ReadRequest()));
    const short events = client->Poll(kPatience);
    ASSERT_NE(events & POLLHUP, 0);  // without it the read below would block
    unsigned char byte;
    EXPECT_EQ(read(client->Fd(), &byte, 1), 0);
    EXPECT_EQ(write(client->Fd(), &byte, 1), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(sim.RequestsReceived(), 2);
    EXPECT_NE(access(sim.PortPath().c_str(), F_OK), 0);  // the port is gone
}

TEST_F(Faulty, HangUpNow) {
    EXPECT_TRUE(Exchange(ReadRequest()));
    sim.HangUp();
    EXPECT_NE(client->Poll(0ms) & POLLHUP, 0);
    EXPECT_FALSE(client->Send(ReadRequest()));
    sim.HangUp();  // twice is harmless
    sim.Stop();
}

TEST_F(Faulty, TheObserverSeesEachRequestBeforeItsReply) {
    std::atomic<int> seen{0};
    sim.SetRequestObserver([&](const CommandFrame& request) {
        EXPECT_EQ(request.Name(), "/chroma/hw_version");
        std::this_thread::sleep_for(20ms);
        ++seen;
    });
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(Exchange(ReadRequest()));
        EXPECT_EQ(seen, i);
    }
    sim.SetRequestObserver(nullptr);
    EXPECT_TRUE(Exchange(ReadRequest()));
    EXPECT_EQ(seen, 3);
}

TEST_F(Faulty, AnObserverMayHangUp) {
    sim.SetRequestObserver([&](const CommandFrame&) { sim.HangUp(); });
    ASSERT_TRUE(client->Send(ReadRequest()));
    EXPECT_NE(client->Poll(kPatience) & POLLHUP, 0);
    EXPECT_EQ(sim.RequestsReceived(), 1);
}

TEST_F(Faulty, StopAndStartAgain) {
    sim.SetFaults({.latencyMs = 30000});
    ASSERT_TRUE(client->Send(ReadRequest()));
    ASSERT_TRUE(Eventually([&] { return sim.RequestsReceived() == 1; }));  // in the latency
    const auto start = Clock::now();
    sim.Stop();  // does not wait out the latency
    EXPECT_LT(Clock::now() - start, kPatience);
    client.reset();
    sim.SetFaults({});
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    EXPECT_FALSE(sim.Start(&error));
    client.emplace(sim.PortPath());
    EXPECT_TRUE(Exchange(ReadRequest()));
}

// One exchange at 9600 baud: the request counts as received once all its 444 bytes would have
// crossed the line, and the reply leaves byte by byte, so that no byte arrives before a UART
// would have delivered it.
TEST_F(Faulty, BaudRatePacesRequestAndReply) {
    constexpr int kBaud = 9600;
    sim.SetFaults({.baud = kBaud});
    std::atomic<Clock::duration::rep> served{0};
    const auto start = Clock::now();
    sim.SetRequestObserver([&](const CommandFrame&) { served = (Clock::now() - start).count(); });
    ASSERT_TRUE(client->Send(ReadRequest()));
    WireFrame wire;
    std::size_t got = 0;
    while (got < wire.size()) {
        ASSERT_NE(client->Poll(kPatience) & POLLIN, 0) << "after " << got << " bytes";
        int available = 0;
        ASSERT_EQ(ioctl(client->Fd(), FIONREAD, &available), 0);
        // All of these bytes are here now, so the last of them was due by now.
        const auto now = Clock::now() - start;
        const std::size_t take =
            std::min<std::size_t>(static_cast<std::size_t>(available), wire.size() - got);
        ASSERT_GE(now, OnTheLine(kFrameSize + got + take, kBaud))
            << "reply byte " << got + take << " came early";
        ASSERT_EQ(client->ReadBytes(wire.data() + got, take, kPatience), take);
        got += take;
    }
    EXPECT_GE(Clock::duration(served.load()), OnTheLine(kFrameSize, kBaud));
    CommandFrame reply;
    DecodeFrame(wire, reply);
    EXPECT_EQ(reply.PayloadText(), "C2\n");
    EXPECT_EQ(client->Pending(100ms), 0u);
}

// A paced reply that the tool does not read fills the line. The simulator then waits until the
// line takes bytes again instead of trying again and again, and after a long stall at the
// highest rate nothing is lost once the tool reads.
TEST_F(Faulty, APacedReplyWaitsForAToolThatDoesNotRead) {
    constexpr int kFrames = 1000;
    sim.SetFaults({.baud = std::numeric_limits<int>::max(), .staleFrames = kFrames});
    ASSERT_TRUE(client->Send(ReadRequest()));
    ASSERT_TRUE(Eventually([&] { return sim.Log().size() > 20; }));  // the line is full by now
    const auto cpuBefore = ProcessCpuTime();
    std::this_thread::sleep_for(4500ms);
    // A thread that tries all the time uses seconds of it; one that waits, next to nothing.
    EXPECT_LT(ProcessCpuTime() - cpuBefore, 1000ms);
    for (int i = 1; i <= kFrames; ++i) {
        const auto stale = client->Receive();
        ASSERT_TRUE(stale) << i;
        ASSERT_EQ(stale->Name(), "/stale/" + std::to_string(i));
    }
    const auto reply = client->Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->PayloadText(), "C2\n");
}

}  // namespace
}  // namespace vyrsim::test
