// The loopback test and the fault modes, seen at the byte level on the client's side.
#include <atomic>
#include <thread>

#include "pty_client.h"

namespace vyrsim::test {
namespace {

using namespace serial_link;

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
    EXPECT_EQ(client->ReadBytes(wire.data(), wire.size(), 300ms), 300u);
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
    EXPECT_EQ(client->Pending(200ms), 0u);
    EXPECT_EQ(sim.RequestsReceived(), 2);
    EXPECT_EQ(sim.GetFaults().silent, true);
    sim.SetFaults({});
    EXPECT_TRUE(Exchange(ReadRequest()));
}

TEST_F(Faulty, LatencyDelaysTheReply) {
    sim.SetFaults({.latencyMs = 200});
    const auto start = Clock::now();
    ASSERT_TRUE(client->Send(ReadRequest()));
    EXPECT_EQ(client->Pending(150ms), 0u);
    EXPECT_TRUE(client->Receive());
    EXPECT_GE(Clock::now() - start, 200ms);
}

TEST_F(Faulty, HangUpAfterNRequests) {
    sim.SetFaults({.hangupAfter = 2});
    EXPECT_TRUE(Exchange(ReadRequest()));
    ASSERT_TRUE(client->Send(ReadRequest()));
    const short events = client->Poll(1000ms);
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
    EXPECT_NE(client->Poll(1000ms) & POLLHUP, 0);
    EXPECT_EQ(sim.RequestsReceived(), 1);
}

TEST_F(Faulty, StopAndStartAgain) {
    sim.SetFaults({.latencyMs = 10000});
    ASSERT_TRUE(client->Send(ReadRequest()));
    std::this_thread::sleep_for(50ms);
    const auto start = Clock::now();
    sim.Stop();  // does not wait out the latency
    EXPECT_LT(Clock::now() - start, 500ms);
    client.reset();
    sim.SetFaults({});
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    EXPECT_FALSE(sim.Start(&error));
    client.emplace(sim.PortPath());
    EXPECT_TRUE(Exchange(ReadRequest()));
}

// One exchange at 9600 baud: the request takes 444 bytes of line time to arrive, and the reply
// as long again to leave, byte by byte.
TEST_F(Faulty, BaudRatePacesRequestAndReply) {
    sim.SetFaults({.baud = 9600});
    const auto start = Clock::now();
    ASSERT_TRUE(client->Send(ReadRequest()));
    std::this_thread::sleep_for(700ms);  // half-way through the reply
    int available = 0;
    ASSERT_EQ(ioctl(client->Fd(), FIONREAD, &available), 0);
    EXPECT_GT(available, 60);
    EXPECT_LT(available, 400);
    auto reply = client->Receive();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->PayloadText(), "C2\n");
    EXPECT_GE(seconds, 0.9);
    EXPECT_LE(seconds, 1.2);
}

}  // namespace
}  // namespace vyrsim::test
