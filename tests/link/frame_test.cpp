// The frame codec and the frame layer, against a scripted port.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <random>
#include <set>
#include <vector>

#include "link/frame.h"
#include "link/link.h"
#include "link/protocol.h"

namespace serial_link {
namespace {

// A port that delivers scripted chunks (one per read) and records what is written.
class ScriptedPort : public SerialPort {
  public:
    std::deque<std::vector<unsigned char>> reads;
    std::vector<unsigned char> written;
    std::size_t writeLimit = SIZE_MAX;
    bool gone = false;
    Milliseconds lastReadTotal{};

    std::size_t Read(void* buffer, std::size_t size, Milliseconds total, Milliseconds) override {
        lastReadTotal = total;
        if (reads.empty())
            return 0;
        auto chunk = reads.front();
        reads.pop_front();
        const std::size_t n = std::min(size, chunk.size());
        std::copy_n(chunk.begin(), n, static_cast<unsigned char*>(buffer));
        return n;
    }
    std::size_t Write(const void* buffer, std::size_t size, Milliseconds) override {
        const std::size_t n = std::min(size, writeLimit);
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        written.insert(written.end(), bytes, bytes + n);
        return n;
    }
    bool Vanished() const override { return gone; }
};

struct LinkWithPort {
    Link link;
    ScriptedPort* port;
    std::string diagnostics;

    LinkWithPort() {
        auto owned = std::make_unique<ScriptedPort>();
        port = owned.get();
        link.Attach(std::move(owned));
        link.SetDiagnosticSink([this](std::string_view text) { diagnostics += text; });
    }
};

std::vector<unsigned char> Bytes(const CommandFrame& frame) {
    WireFrame wire;
    EncodeFrame(frame, wire);
    return {wire.begin(), wire.end()};
}

TEST(FrameCodec, IntegersAreBigEndianOnTheWire) {
    CommandFrame frame;
    ASSERT_TRUE(BuildIntegerFrame(frame, kRunCommand, "LOOPBACKTEST", 0x01020304));
    auto wire = Bytes(frame);
    EXPECT_EQ(std::vector<unsigned char>(wire.begin(), wire.begin() + 4),
              (std::vector<unsigned char>{0, 0, 0, 0x11}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&wire[4])), "LOOPBACKTEST");
    EXPECT_EQ(std::vector<unsigned char>(wire.begin() + 260, wire.begin() + 264),
              (std::vector<unsigned char>{0, 0, 0, 0}));
    EXPECT_EQ(std::vector<unsigned char>(wire.begin() + 264, wire.begin() + 268),
              (std::vector<unsigned char>{1, 2, 3, 4}));

    // A text payload goes out byte for byte.
    frame.payload_is_text = 1;
    wire = Bytes(frame);
    EXPECT_EQ(std::vector<unsigned char>(wire.begin() + 260, wire.begin() + 264),
              (std::vector<unsigned char>{0, 0, 0, 1}));
    EXPECT_TRUE(std::equal(frame.payload.begin(), frame.payload.begin() + 4, wire.begin() + 264));
}

TEST(FrameCodec, DecodesIntegerPayloadsOnlyWhenNotText) {
    WireFrame wire{};
    wire[3] = kReply;
    std::copy_n("/tmp/hw_type", 12, reinterpret_cast<char*>(&wire[4]));
    wire[264] = 0xFF;
    wire[265] = 0xFF;
    wire[266] = 0xFF;
    wire[267] = 0xFE;
    CommandFrame frame;
    DecodeFrame(wire, frame);
    EXPECT_EQ(frame.command, kReply);
    EXPECT_EQ(frame.Name(), "/tmp/hw_type");
    EXPECT_EQ(frame.payload_is_text, 0u);
    EXPECT_EQ(frame.PayloadInteger(), -2);

    wire[263] = 1;
    wire[264] = '4';
    wire[265] = '2';
    wire[266] = 0;
    DecodeFrame(wire, frame);
    EXPECT_EQ(frame.PayloadText(), "42");
}

TEST(FrameCodec, TextsAreReadWithinTheirFields) {
    WireFrame wire;
    wire.fill('A');  // no NUL anywhere
    wire[263] = 1;
    CommandFrame frame;
    DecodeFrame(wire, frame);
    EXPECT_EQ(frame.Name().size(), kNameSize);
    EXPECT_EQ(frame.PayloadText().size(), kPayloadSize);
}

TEST(FrameCodec, TextsThatDoNotFitAreRefused) {
    CommandFrame frame;
    EXPECT_TRUE(frame.SetName(std::string(255, 'n')));
    EXPECT_FALSE(frame.SetName(std::string(256, 'x')));
    EXPECT_EQ(frame.Name(), std::string(255, 'n'));
    EXPECT_TRUE(frame.SetPayloadText(std::string(179, 'p')));
    EXPECT_FALSE(frame.SetPayloadText(std::string(180, 'x')));
    EXPECT_FALSE(frame.SetPayloadText(std::string("a\0b", 3)));
    EXPECT_EQ(frame.PayloadText(), std::string(179, 'p'));
    CommandFrame built;
    built.command = 99;
    EXPECT_FALSE(BuildTextFrame(built, kWriteFile, "/chroma/serialnumber", std::string(200, 'v')));
    EXPECT_EQ(built.command, 99u);  // untouched
}

TEST(FrameLayer, GarbageFramesAreReadWithinTheirFields) {
    LinkWithPort t;
    std::mt19937 random(444);
    for (int i = 0; i < 200; ++i) {
        std::vector<unsigned char> bytes(kFrameSize);
        for (auto& b : bytes)
            b = static_cast<unsigned char>(random() % 3 == 0 ? 0 : random());
        t.port->reads.push_back(bytes);
    }
    CommandFrame reply;
    // Two hundred frames of random bytes: none matches, none is read past its fields.
    EXPECT_FALSE(AwaitReply(t.link, reply, "/chroma/serialnumber", 200));
    EXPECT_LE(reply.Name().size(), kNameSize);
    EXPECT_LE(reply.PayloadText().size(), kPayloadSize);
    EXPECT_TRUE(t.port->reads.empty());
}

TEST(FrameLayer, SendLeavesTheFrameInHostOrder) {
    LinkWithPort t;
    CommandFrame frame;
    BuildIntegerFrame(frame, kSetUserLevel, "/chroma/users/admin", 4);
    const CommandFrame copy = frame;
    EXPECT_EQ(protocol::send_command(t.link, frame), 1);
    EXPECT_EQ(std::memcmp(&frame, &copy, sizeof frame), 0);
    ASSERT_EQ(t.port->written.size(), kFrameSize);
    EXPECT_EQ(std::vector<unsigned char>(t.port->written.begin(), t.port->written.begin() + 4),
              (std::vector<unsigned char>{0, 0, 0, 15}));
    EXPECT_EQ(std::vector<unsigned char>(t.port->written.begin() + 264,
                                         t.port->written.begin() + 268),
              (std::vector<unsigned char>{0, 0, 0, 4}));
}

// The reply's read window opens when the request has left a 9600-baud line (462.5 ms after
// the write began), not when the write call returned.
TEST(FrameLayer, TheReadWindowWaitsForTheRequestToLeaveTheLine) {
    LinkWithPort t;
    CommandFrame frame;
    BuildTextFrame(frame, kReadFile, "/chroma/fw_version", "");
    ASSERT_EQ(protocol::send_command(t.link, frame), 1);
    protocol::recv_command(t.link, frame);
    EXPECT_GT(t.port->lastReadTotal, Milliseconds(644 + 400));

    Timeouts noLine;
    noLine.lineBaud = 0;
    t.link.SetTimeoutsForTesting(noLine);
    ASSERT_EQ(protocol::send_command(t.link, frame), 1);
    protocol::recv_command(t.link, frame);
    EXPECT_EQ(t.port->lastReadTotal, Milliseconds(644));
}

TEST(FrameLayer, ShortTransfersFailWithTheirDiagnostic) {
    LinkWithPort t;
    CommandFrame frame;
    BuildTextFrame(frame, kReadFile, "/chroma/fw_version", "");
    t.port->writeLimit = 100;
    EXPECT_EQ(protocol::send_command(t.link, frame), 0);
    EXPECT_EQ(t.diagnostics,
              "serial_link::protocol::send_command 444 bytes expected, 100 bytes written\n");

    t.diagnostics.clear();
    auto good = Bytes(frame);
    t.port->reads.push_back(std::vector<unsigned char>(good.begin(), good.begin() + 300));
    t.port->reads.push_back(good);
    CommandFrame received;
    received.command = kNoReply;
    EXPECT_EQ(protocol::recv_command(t.link, received), 0);
    EXPECT_EQ(t.diagnostics,
              "serial_link::protocol::recv_command 444 bytes expected, 300 bytes read\n");
    EXPECT_EQ(received.command, kNoReply);
    // The next read starts with whatever the port delivers next.
    EXPECT_EQ(protocol::recv_command(t.link, received), 1);
    EXPECT_EQ(received.Name(), "/chroma/fw_version");
}

TEST(FrameLayer, ClosedOrVanishedPortFailsAtOnce) {
    Link closed;
    std::string diagnostics;
    closed.SetDiagnosticSink([&](std::string_view text) { diagnostics += text; });
    CommandFrame frame;
    EXPECT_EQ(protocol::send_command(closed, frame), 0);
    EXPECT_EQ(protocol::recv_command(closed, frame), 0);
    EXPECT_EQ(diagnostics,
              "serial_link::protocol::send_command 444 bytes expected, 0 bytes written\n"
              "serial_link::protocol::recv_command 444 bytes expected, 0 bytes read\n");

    LinkWithPort t;
    t.port->gone = true;
    t.port->reads.push_back(Bytes(frame));
    EXPECT_EQ(protocol::recv_command(t.link, frame), 0);
    EXPECT_EQ(t.port->reads.size(), 1u);  // not even tried
}

TEST(Link, OpeningAMissingPortFails) {
    Link link;
    std::string diagnostics;
    link.SetDiagnosticSink([&](std::string_view text) { diagnostics += text; });
    EXPECT_FALSE(link.Open("/dev/no-such-port"));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(
        diagnostics.starts_with("serial_link: could not open serial port: invalid handle\n"));
    EXPECT_FALSE(link.OpenIndex(3, {"/dev/a"}));
}

TEST(Link, LoopbackValuesRepeatFromRunToRun) {
    Link a, b;
    std::vector<std::int32_t> first, second;
    for (int i = 0; i < 50; ++i) {
        first.push_back(a.NextLoopbackValue());
        second.push_back(b.NextLoopbackValue());
        EXPECT_GE(first.back(), 0);
        EXPECT_LE(first.back(), 32767);
    }
    EXPECT_EQ(first, second);
    EXPECT_GT(std::set<std::int32_t>(first.begin(), first.end()).size(), 40u);
}

}  // namespace
}  // namespace serial_link
