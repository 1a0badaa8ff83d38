// Reading, writing and appending the device's files over the pseudo-terminal, and the
// factory state.
#include <string>

#include "pty_client.h"
#include "settings/catalogue.h"
#include "sim/device.h"

namespace vyrsim::test {
namespace {

using namespace serial_link;

class Files : public SimTest {};

TEST_F(Files, WriteThenRead) {
    auto reply = Exchange(TextRequest(kWriteFile, "/chroma/settings/3/rec_mic_level", "31"));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kReply);
    EXPECT_EQ(reply->Name(), "/chroma/settings/3/rec_mic_level");
    EXPECT_EQ(reply->payload_is_text, 1u);
    EXPECT_EQ(reply->PayloadText(), "");
    EXPECT_EQ(sim.ReadFile("/chroma/settings/3/rec_mic_level"), "31");

    reply = Read("/chroma/settings/3/rec_mic_level");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kReply);
    EXPECT_EQ(reply->Name(), "/chroma/settings/3/rec_mic_level");
    EXPECT_EQ(reply->PayloadText(), "31");
}

TEST_F(Files, AMissingFileIsRefusedUnderItsName) {
    auto reply = Read("/chroma/none");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kRefused);
    EXPECT_EQ(reply->Name(), "/chroma/none");
    sim.WriteFile("/chroma/none", "here");
    EXPECT_EQ(Read("/chroma/none")->PayloadText(), "here");
    sim.RemoveFile("/chroma/none");
    EXPECT_EQ(Read("/chroma/none")->command, kRefused);
}

TEST_F(Files, ALongFileIsCutToOnePayload) {
    sim.WriteFile("/tmp/long", std::string(170, 'a') + std::string(30, 'b'));
    auto reply = Read("/tmp/long");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kReply);
    EXPECT_EQ(reply->PayloadText(), std::string(170, 'a') + std::string(9, 'b'));
}

TEST_F(Files, PathsOutsideThePlainTreeAndUserFilesAreRefused) {
    for (const char* path : {"relative", "/chroma/../etc/passwd", "/chroma//x", "/chroma/settings/",
                             "/chroma/users/admin", "/chroma/users/../users/admin"}) {
        EXPECT_EQ(Read(path)->command, kRefused) << path;
        EXPECT_EQ(Exchange(TextRequest(kWriteFile, path, "x"))->command, kRefused) << path;
        EXPECT_EQ(Exchange(TextRequest(kAppendLine, path, "x"))->command, kRefused) << path;
    }
    EXPECT_EQ(sim.ReadFile("/chroma/users/admin"), "password=vyr-admin\nlevel=4\n");
}

TEST_F(Files, AnIntegerPayloadIsNoFileContent) {
    auto reply = Exchange(IntegerRequest(kWriteFile, "/tmp/x", 5));
    EXPECT_EQ(reply->command, kRefused);
    EXPECT_FALSE(sim.ReadFile("/tmp/x"));
}

// Each line with its line feed as stored; a last line without one is sent without.
TEST_F(Files, ReadLinesSendsOneFramePerLineThenAnEndFrame) {
    sim.WriteFile("/chroma/test_results", "first\nsecond\n\nfourth");
    ASSERT_TRUE(client->Send(TextRequest(kReadLines, "/chroma/test_results")));
    std::vector<std::string> lines;
    std::optional<CommandFrame> frame;
    while ((frame = client->Receive()) && frame->command == kReadLines) {
        EXPECT_EQ(frame->Name(), "/chroma/test_results");
        lines.emplace_back(frame->PayloadText());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"first\n", "second\n", "\n", "fourth"}));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->command, kReply);
    EXPECT_EQ(frame->Name(), "/chroma/test_results");
    EXPECT_EQ(frame->PayloadText(), "");
    EXPECT_EQ(client->Pending(100ms), 0u);

    sim.WriteFile("/tmp/empty", "");
    frame = Exchange(TextRequest(kReadLines, "/tmp/empty"));
    EXPECT_EQ(frame->command, kReply);
    EXPECT_EQ(Exchange(TextRequest(kReadLines, "/tmp/absent"))->command, kRefused);
}

TEST_F(Files, AppendLineEndsTheLine) {
    sim.WriteFile("/chroma/service_notes", "old\n");
    EXPECT_EQ(Exchange(TextRequest(kAppendLine, "/chroma/service_notes", "new"))->command, kReply);
    EXPECT_EQ(Exchange(TextRequest(kAppendLine, "/chroma/service_notes", "two\n"))->command,
              kReply);
    EXPECT_EQ(sim.ReadFile("/chroma/service_notes"), "old\nnew\ntwo\n");
    EXPECT_EQ(Exchange(TextRequest(kAppendLine, "/tmp/new", "a"))->command, kReply);
    EXPECT_EQ(sim.ReadFile("/tmp/new"), "a\n");
}

TEST_F(Files, MessagesGoToTheDeviceLog) {
    auto reply = Exchange(TextRequest(kMessage, "/chroma/settings/1/he_th",
                                      "permission denied writing setting he_th\n"));
    EXPECT_EQ(reply->command, kReply);
    EXPECT_EQ(reply->Name(), "/chroma/settings/1/he_th");
    const std::string log = sim.ReadFile("/var/log/messages").value_or("");
    EXPECT_TRUE(log.ends_with("\npermission denied writing setting he_th\n")) << log;
}

TEST_F(Files, UnknownCommandsAreRefused) {
    for (std::uint32_t command : {2u, 3u, 5u, 7u, 13u, 18u, 21u, 0xffffffffu}) {
        auto reply = Exchange(TextRequest(command, "/chroma/serialnumber"));
        ASSERT_TRUE(reply) << command;
        EXPECT_EQ(reply->command, kRefused) << command;
        EXPECT_EQ(reply->Name(), "/chroma/serialnumber");
    }
}

TEST_F(Files, GarbageIsAnsweredOrDroppedAndTheLineRecovers) {
    // A whole frame of 0xff bytes: no NUL in its name, an unknown command.
    WireFrame garbage;
    garbage.fill(0xff);
    ASSERT_TRUE(client->SendBytes(garbage.data(), garbage.size()));
    auto reply = client->Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kRefused);
    EXPECT_EQ(reply->Name(), std::string(kNameSize, '\xff'));
    // A piece of a frame is dropped after half a second of silence, not before, and the next
    // frame is understood.
    const std::string dropped = "-- dropped 100 bytes of an incomplete frame";
    const auto sent = Clock::now();
    ASSERT_TRUE(client->SendBytes(garbage.data(), 100));
    ASSERT_TRUE(Eventually([&] { return sim.Log().size() > 2; }));
    EXPECT_GE(Clock::now() - sent, 500ms);
    EXPECT_EQ(sim.Log().at(2), dropped);
    EXPECT_EQ(Read("/chroma/hw_version")->PayloadText(), "C2\n");
    EXPECT_EQ(sim.Log().size(), 5u);
}

TEST_F(Files, TheToolCanDisconnectAndConnectAgain) {
    EXPECT_TRUE(Read("/chroma/serialnumber"));
    client.reset();
    std::this_thread::sleep_for(50ms);
    client.emplace(sim.PortPath());
    ASSERT_TRUE(client->IsOpen());
    auto reply = Read("/chroma/serialnumber");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->PayloadText(), "VYR-2417-0093\n");
}

TEST(Port, IsRawBeforeTheToolConfiguresIt) {
    Simulator sim;
    ASSERT_TRUE(sim.Start());
    PtyClient client(sim.PortPath(), false);
    ASSERT_TRUE(client.IsOpen());
    termios tio{};
    ASSERT_EQ(tcgetattr(client.Fd(), &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | ISTRIP), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    // Bytes that a cooked terminal would translate or act on pass unchanged both ways, and
    // nothing is echoed.
    const std::string text = "a\rb\nc\x03\x04\x7f\x11\x13";
    ASSERT_TRUE(client.Send(TextRequest(kWriteFile, "/tmp/raw", text)));
    EXPECT_EQ(client.Receive()->command, kReply);
    EXPECT_EQ(sim.ReadFile("/tmp/raw"), text);
    ASSERT_TRUE(client.Send(TextRequest(kReadFile, "/tmp/raw")));
    EXPECT_EQ(client.Receive()->PayloadText(), text);
    EXPECT_EQ(client.Pending(50ms), 0u);
}

// The factory state, without the line.
TEST(FactoryState, PresetsHoldTheCatalogueDefaults) {
    Device device;
    const vyr::SettingCatalogue catalogue;
    for (int p = 0; p < vyr::kPresetCount; ++p) {
        for (int i = 0; i < vyr::kParameterCount; ++i) {
            const std::string key(catalogue[i].key);
            const auto value =
                device.Files().Read("/chroma/settings/" + std::to_string(p) + "/" + key);
            ASSERT_TRUE(value) << p << " " << key;
            EXPECT_EQ(*value, catalogue.Default(i)) << key;
            if (p == 1) {
                EXPECT_EQ(device.Files().Read("/chroma/settings/current/" + key), *value);
            }
        }
    }
    EXPECT_EQ(device.Files().List("/chroma/settings/current").size(), 86u);
    EXPECT_EQ(device.Files().Read("/chroma/settings/current_preset"), "1");
}

TEST(FactoryState, AccountsIdentityAndHistory) {
    Device device;
    EXPECT_EQ(
        device.Files().List("/chroma/users"),
        (std::vector<std::string>{"admin", "controller", "distributor", "service", "superadmin"}));
    ASSERT_EQ(FactoryAccounts().size(), 5u);
    EXPECT_EQ(FactoryAccounts()[3].name, "superadmin");
    EXPECT_EQ(FactoryAccounts()[3].password, "vyr-superadmin");
    EXPECT_EQ(FactoryAccounts()[3].level, 3);
    for (const char* path :
         {"/chroma/serialnumber", "/chroma/hw_version", "/chroma/fw_version",
          "/chroma/firmware_version", "/chroma/mics/current_mic", "/mnt/vyr/firmware.cup",
          "/tmp/accu_cal", "/tmp/batt_cal", "/tmp/caps_cal"}) {
        EXPECT_FALSE(device.Files().Read(path).value_or("").empty()) << path;
    }
    EXPECT_EQ(device.Files().Read("/tmp/hw_type"), "0");
    const auto lines = [&](const char* path) {
        const std::string text = device.Files().Read(path).value_or("");
        return std::count(text.begin(), text.end(), '\n');
    };
    EXPECT_GE(lines("/chroma/service_notes"), 2);
    EXPECT_LE(lines("/chroma/service_notes"), 3);
    EXPECT_GE(lines("/chroma/test_results"), 5);
}

TEST(FactoryState, EveryMicrophoneTypeHasItsCalibration) {
    Device device;
    const char* keys[] = {"mic_sensitivity",   "mic_filter1_freq",   "mic_filter2_freq",
                          "mic_filter3_freq",  "mic_filter1_gain",   "mic_filter2_gain",
                          "mic_filter3_gain",  "mic_filter1_q",      "mic_filter2_q",
                          "mic_filter3_q",     "mic_filter1_enable", "mic_filter2_enable",
                          "mic_filter3_enable"};
    for (char type = 'a'; type <= 's'; ++type) {
        for (const char* key : keys) {
            const auto value = device.Files().Read(std::string("/chroma/mics/") + type + "/" + key);
            ASSERT_TRUE(value) << type << " " << key;
            EXPECT_TRUE(value->ends_with("\n"));
            const double number = std::stod(*value);
            const std::string k = key;
            if (k == "mic_sensitivity")
                EXPECT_TRUE(number >= -60 && number <= 0) << type;
            else if (k.ends_with("_freq"))
                EXPECT_TRUE(number >= 20 && number <= 16000) << type << k;
            else if (k.ends_with("_gain"))
                EXPECT_TRUE(number >= -6 && number <= 6) << type << k;
            else if (k.ends_with("_q"))
                EXPECT_TRUE(number >= 0.2 && number <= 3) << type << k;
            else
                EXPECT_TRUE(*value == "0\n" || *value == "1\n") << type << k;
        }
    }
    EXPECT_FALSE(device.Files().Read("/chroma/mics/t/mic_sensitivity"));
}

TEST(FactoryState, MeasurementsMoveWithTimeUntilWritten) {
    double seconds = 0;
    Device device([&] { return seconds; });
    const char* paths[] = {"/tmp/accu_voltage", "/tmp/batt_voltage", "/tmp/caps_voltage"};
    std::vector<std::string> before;
    for (const char* path : paths)
        before.push_back(device.Files().Read(path).value());
    seconds = 3;
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_NE(device.Files().Read(paths[i]), before[i]) << paths[i];
    for (double t = 0; t < 3600; t += 7) {
        seconds = t;
        const long percent = std::stol(device.Files().Read("/tmp/power_accu").value());
        EXPECT_TRUE(percent >= 0 && percent <= 100);
        EXPECT_GT(std::stol(device.Files().Read("/tmp/batt_voltage").value()), 0xffff);
    }
    device.Files().Write("/tmp/power_batt", "87\n");
    seconds = 5000;
    EXPECT_EQ(device.Files().Read("/tmp/power_batt"), "87\n");
}

}  // namespace
}  // namespace vyrsim::test
