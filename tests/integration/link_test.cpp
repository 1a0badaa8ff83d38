// The link's protocol operations against the simulator over a real pseudo-terminal.
#include "sim_fixture.h"

namespace vyr::test {
namespace {

using namespace serial_link;

class Sync : public SimLink {};

TEST_F(Sync, SucceedsAndFinishesTheHandshake) {
    link.SetLoopbackValuesForTesting([] { return 1234; });
    EXPECT_TRUE(SyncLink(link));
    const auto in = Frames("in ");
    ASSERT_EQ(in.size(), 2u);
    EXPECT_EQ(in[0], "in  4 LOOPBACKTEST int 1234");
    EXPECT_TRUE(
        in[1].starts_with("in  6 LOOPBACK_FINISHED text \"Loopback test passed, master and slave "
                          "synced. Link established.\\n\""));
    EXPECT_EQ(diagnostics, "");
}

TEST_F(Sync, ResendsAfterAWrongEcho) {
    SetFaults({.wrongFirstEcho = true});
    link.SetLoopbackValuesForTesting([] { return 77; });
    EXPECT_TRUE(SyncLink(link));
    EXPECT_EQ(diagnostics, "\nLoopback test: Got 78, expected 77\n");
    EXPECT_EQ(CountRequests("in  4 LOOPBACKTEST"), 2u);
    EXPECT_EQ(CountRequests("in  6 LOOPBACK_FINISHED"), 1u);
}

TEST_F(Sync, ResendsOnEveryRepeatRequest) {
    SetFaults({.repeatRequests = 2});
    EXPECT_TRUE(SyncLink(link));
    EXPECT_EQ(CountRequests("in  4 LOOPBACKTEST"), 3u);
}

TEST_F(Sync, FailsWithoutAnEchoWithinTenFrames) {
    SetFaults({.staleFrames = 10});
    EXPECT_FALSE(SyncLink(link));
    SetFaults({.silent = true});
    EXPECT_FALSE(SyncLink(link));
    EXPECT_EQ(CountRequests("in  6"), 0u);  // no finishing frame after a failure
}

TEST_F(Sync, GivesUpOnADeviceThatAsksForRepeatsForEver) {
    SetFaults({.repeatRequests = -1});
    EXPECT_FALSE(SyncLink(link));
    EXPECT_EQ(CountRequests("in  6"), 0u);
    EXPECT_NE(diagnostics.find("loopback test given up"), std::string::npos);
}

TEST_F(Sync, ATestValueOfZeroMustBeEchoedToo) {
    link.SetLoopbackValuesForTesting([] { return 0; });
    SetFaults({.silent = true});
    EXPECT_FALSE(SyncLink(link));
    SetFaults({});
    EXPECT_TRUE(SyncLink(link));
}

class Exchanges : public SimLink {};

TEST_F(Exchanges, StrictAndLooseReadsOfAMissingFile) {
    LinkHold hold(link);
    double strict =
        SecondsFor([&] { EXPECT_FALSE(ReadRemoteFile(hold, "/chroma/none", Match::Strict)); });
    double loose =
        SecondsFor([&] { EXPECT_FALSE(ReadRemoteFile(hold, "/chroma/none", Match::Loose)); });
    // The strict wait skips the refusal (command 3) and runs out its ten attempts; the loose
    // one takes the refusal at once.
    EXPECT_GT(strict, 8 * ShortReadSeconds());
    EXPECT_LT(loose, strict / 4);
    sim.WriteFile("/chroma/fw_version", "2.1.7");
    EXPECT_EQ(ReadRemoteFile(hold, "/chroma/fw_version", Match::Strict), "2.1.7");
    EXPECT_EQ(ReadRemoteFile(hold, "/chroma/fw_version", Match::Loose), "2.1.7");
}

TEST_F(Exchanges, NamesAreComparedWhole) {
    sim.WriteFile("/tmp/hw_typ", "9");
    sim.WriteFile("/tmp/hw_type", "1");
    LinkHold hold(link);
    // The first reply comes too late for its request and is left in the line...
    SetFaults({.latencyMs = 250});
    EXPECT_FALSE(ReadRemoteFile(hold, "/tmp/hw_typ", Match::Strict, 1));
    SetFaults({});
    // ...and is skipped by the next read, whose name it only begins.
    EXPECT_EQ(ReadRemoteFile(hold, "/tmp/hw_type", Match::Strict), "1");
}

TEST_F(Exchanges, ReadRemoteNumber) {
    LinkHold hold(link);
    const std::pair<const char*, long> whole[] = {{"2\n", 2},
                                                  {"12 ", 12},
                                                  {"1x", -7},
                                                  {"-1", -1},
                                                  {"", -7},
                                                  {" 4", 4},
                                                  {"99999999999999999999", -7}};
    for (const auto& [text, expected] : whole) {
        sim.WriteFile("/tmp/number", text);
        EXPECT_EQ(ReadRemoteNumber(hold, "/tmp/number", -7, true, Match::Strict), expected) << text;
    }
    sim.WriteFile("/tmp/number", "1x");
    EXPECT_EQ(ReadRemoteNumber(hold, "/tmp/number", -7, false, Match::Loose), 1);
    sim.WriteFile("/tmp/number", "x1");
    EXPECT_EQ(ReadRemoteNumber(hold, "/tmp/number", -7, false, Match::Loose), -7);
    EXPECT_EQ(ReadRemoteNumber(hold, "/tmp/absent", -7, false, Match::Loose), -7);
}

TEST_F(Exchanges, WritesAndCommandLines) {
    LinkHold hold(link);
    EXPECT_TRUE(WriteRemoteFile(hold, "/chroma/settings/3/rec_mic_level", "31"));
    EXPECT_EQ(sim.ReadFile("/chroma/settings/3/rec_mic_level"), "31");
    EXPECT_TRUE(RunRemoteCommand(hold, tag::kSetPreset, "/chroma/scripts/set_preset 3", false));
    EXPECT_EQ(ReadRemoteFile(hold, "/chroma/settings/current/rec_mic_level", Match::Strict), "31");
    EXPECT_EQ(ReadRemoteNumber(hold, "/chroma/settings/current_preset", -1, true, Match::Strict),
              3);
    EXPECT_TRUE(AppendRemoteLine(hold, "/chroma/service_notes", "2026/12/08-10:00| checked"));
    std::vector<std::string> lines;
    ReadRemoteLines(hold, "/chroma/service_notes",
                    [&](std::string_view line) { lines.emplace_back(line); });
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "2026/12/08-10:00| checked\n");
}

TEST_F(Exchanges, OverlongTextsAreNotSent) {
    LinkHold hold(link);
    const int before = sim.RequestsReceived();
    EXPECT_FALSE(WriteRemoteFile(hold, "/chroma/serialnumber", std::string(180, '7')));
    EXPECT_FALSE(ReadRemoteFile(hold, "/chroma/" + std::string(250, 'x'), Match::Loose));
    EXPECT_FALSE(LoginUser(link, std::string(242, 'u'), "secret-password"));
    EXPECT_EQ(sim.RequestsReceived(), before);
    EXPECT_EQ(diagnostics.find("secret-password"), std::string::npos);
    EXPECT_NE(diagnostics.find("does not fit the frame"), std::string::npos);
}

TEST_F(Exchanges, ReadLinesEndsOnAnotherCommandOrOnSilence) {
    sim.WriteFile("/chroma/test_results", "first\nsecond\n\nfourth\n");
    LinkHold hold(link);
    std::vector<std::string> lines;
    EXPECT_EQ(ReadRemoteLines(hold, "/chroma/test_results",
                              [&](std::string_view l) { lines.emplace_back(l); }),
              4);
    EXPECT_EQ(lines, (std::vector<std::string>{"first\n", "second\n", "\n", "fourth\n"}));
    EXPECT_EQ(ReadRemoteLines(hold, "/chroma/absent", [](std::string_view) {}), 0);
    SetFaults({.silent = true});
    double seconds = SecondsFor([&] {
        EXPECT_EQ(ReadRemoteLines(hold, "/chroma/test_results", [](std::string_view) {}), 0);
    });
    EXPECT_GT(seconds, 9 * ShortReadSeconds());
}

TEST_F(Exchanges, PartialAndStaleFramesAreSurvived) {
    sim.WriteFile("/chroma/hw_version", "B");
    LinkHold hold(link);
    SetFaults({.partialEvery = 1});
    EXPECT_FALSE(ReadRemoteFile(hold, "/chroma/hw_version", Match::Strict, 2));
    EXPECT_NE(diagnostics.find("recv_command 444 bytes expected, 300 bytes read"),
              std::string::npos);
    SetFaults({.staleFrames = 3});
    EXPECT_EQ(ReadRemoteFile(hold, "/chroma/hw_version", Match::Strict), "B");
    SetFaults({});
    EXPECT_EQ(ReadRemoteFile(hold, "/chroma/hw_version", Match::Loose), "B");
}

TEST_F(Exchanges, LoginAnswersWithTheLevel) {
    EXPECT_EQ(LoginUser(link, "admin", "vyr-admin"), 4);
    EXPECT_EQ(LoginUser(link, "service", "vyr-service"), 0);
    EXPECT_EQ(LoginUser(link, "admin", "wrong"), std::nullopt);
    EXPECT_EQ(LoginUser(link, "nobody", "vyr-admin"), std::nullopt);
}

TEST_F(Exchanges, TheLockIsHeldForEachExchangeAndGivenBack) {
    sim.WriteFile("/chroma/serialnumber", "VYR-0001");
    std::vector<bool> heldDuringRequest;
    sim.SetRequestObserver([&](const CommandFrame&) {
        const bool free = link.Lock().TryWait();
        if (free)
            link.Lock().Post();
        heldDuringRequest.push_back(!free);
    });
    for (int i = 0; i < 3; ++i) {
        LinkHold hold(link);
        EXPECT_EQ(ReadRemoteFile(hold, "/chroma/serialnumber", Match::Loose), "VYR-0001");
    }
    sim.SetRequestObserver(nullptr);
    EXPECT_EQ(heldDuringRequest, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(link.Lock().TryWait());
    link.Lock().Post();
}

// With the real time-outs: a vanished device fails every later attempt at once.
TEST_F(Exchanges, AVanishedDeviceFailsAtOnce) {
    link.SetTimeoutsForTesting(Timeouts{});
    {
        LinkHold hold(link);
        ASSERT_TRUE(ReadRemoteFile(hold, "/chroma/fw_version", Match::Loose));
    }
    sim.HangUp();
    const double seconds = SecondsFor([&] {
        LinkHold hold(link);
        EXPECT_FALSE(ReadRemoteFile(hold, "/chroma/fw_version", Match::Strict));
        EXPECT_FALSE(WriteRemoteFile(hold, "/chroma/serialnumber", "1"));
        EXPECT_FALSE(SyncLink(link));
        EXPECT_FALSE(LoginUser(link, "admin", "vyr-admin"));
    });
    EXPECT_TRUE(link.Vanished());
    // Far less than the 6.4 s each of the four would wait for a silent device.
    EXPECT_LT(seconds, 4.0);
}

// With the real time-outs: a silent device fails the synchronisation after ten attempts.
TEST_F(Exchanges, ASilentDeviceFailsSyncAfterTenRealTimeouts) {
    link.SetTimeoutsForTesting(Timeouts{});
    SetFaults({.silent = true});
    const double seconds = SecondsFor([&] { EXPECT_FALSE(SyncLink(link)); });
    EXPECT_GT(seconds, 6.3);
    EXPECT_EQ(CountRequests("in  4 LOOPBACKTEST"), 1u);
}

// At a real 9600 baud a request takes 462.5 ms to reach the device and the reply as long to
// come back: longer than the 644 ms read window if that opened when the write returned.
TEST_F(Exchanges, ARealNineThousandSixHundredBaudLineWorks) {
    // The real read window; only the silence that ends a read is longer, so that a simulator
    // thread held up by a loaded machine does not cut a reply.
    Timeouts timeouts;
    timeouts.readGap = 100ms;
    link.SetTimeoutsForTesting(timeouts);
    SetFaults({.baud = 9600});
    EXPECT_TRUE(SyncLink(link));
    LinkHold hold(link);
    sim.WriteFile("/chroma/fw_version", "2.1.7");
    const double seconds = SecondsFor(
        [&] { EXPECT_EQ(ReadRemoteFile(hold, "/chroma/fw_version", Match::Strict), "2.1.7"); });
    EXPECT_GT(seconds, 2 * 0.4625);  // the request and the reply each took their line time
}

// A port in use stays in use: neither a second program nor a second open in this one, root
// included, gets it.
TEST_F(Exchanges, APortInUseCannotBeOpenedAgain) {
    Link second;
    second.SetDiagnosticSink([](std::string_view) {});
    EXPECT_FALSE(second.Open(sim.PortPath()));
    EXPECT_EQ(second.LastOpenError().kind, PortError::InUse);
    EXPECT_EQ(second.LastOpenError().reason, "port is in use");
    link.Close();
    EXPECT_TRUE(second.Open(sim.PortPath()));
}

TEST(Ports, OpenFailuresSayWhy) {
    Link link;
    link.SetDiagnosticSink([](std::string_view) {});
    EXPECT_FALSE(link.Open("/dev/no-such-port"));
    EXPECT_EQ(link.LastOpenError().kind, PortError::NotFound);
    EXPECT_EQ(link.LastOpenError().reason, "No such file or directory");
    EXPECT_FALSE(link.Open("/dev/null"));
    EXPECT_EQ(link.LastOpenError().kind, PortError::NotASerialPort);
}

}  // namespace
}  // namespace vyr::test
