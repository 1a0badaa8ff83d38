// vyrctl against a device that answers with hostile texts: line feeds inside user names,
// escape sequences, C0 and C1 control bytes and Latin-1 letters. Whatever the device sends,
// what vyrctl prints is UTF-8 that a terminal shows as it is, one line per value.
#include "hostile_device_posix.h"
#include "settings/text.h"
#include "vyrctl_runner.h"

namespace vyr::test {
namespace {

// "Müller" as the device holds it (Latin-1) and as a terminal shows it (UTF-8).
const std::string kLatin1Name = "M\xFCller";
const std::string kUtf8Name = "M\xC3\xBCller";

class VyrctlHostileDevice : public VyrctlTest {
  protected:
    HostileDevice device;

    void SetUp() override {
        VyrctlTest::SetUp();
        std::ofstream(dir / "service.pw") << "any\n";
        device.files = {
            {"/chroma/hw_version", "rev\x9B[2J\xC2\x9BH"},
            {"/chroma/serialnumber", kLatin1Name + "\x1B[2J\n"},
            {"/chroma/fw_version", "1.0\x7F"},
            {"/chroma/firmware_version", "2.0\x8D"},
            {"/tmp/hw_type", "1"},
            {"/chroma/mics/current_mic", "b\x9B"},
            {"/tmp/datestring", "2026/12/09\x1B[2J-16:35:26\x9B\n"},
        };
        for (const char* file :
             {"/tmp/accu_cal", "/tmp/batt_cal", "/tmp/caps_cal", "/tmp/accu_voltage",
              "/tmp/batt_voltage", "/tmp/caps_voltage", "/tmp/power_accu", "/tmp/power_batt"})
            device.files[file] = "100";
        device.files["/chroma/mics/d/mic_sensitivity"] = "-30\n";
        for (const char* filter : {"1", "2", "3"}) {
            for (const char* value : {"freq", "gain", "q", "enable"})
                device.files["/chroma/mics/d/mic_filter" + std::string(filter) + "_" + value] =
                    "1\n";
        }
        device.files["/chroma/mics/d/mic_filter1_freq"] = "2\x1B]0;owned\x9C";
        device.lines = {
            {"/tmp/userlist", {"admin\n", "evil\nsuperadmin\n", kLatin1Name + "\n"}},
            {"/chroma/service_notes",
             {"2024/01/01-10:00| \x1B[2J wiped\n", "2024/01/02-11:00| caf\xE9 \x9B[31m red\n",
              "last \r without a line feed"}},
            {"/chroma/test_results", {"PASS \x85 ok\n", "\xC2\x9B[2J tail\n"}},
        };
        device.otherFiles = "\x1B[2J\nfake\x9B";  // the settings, for one
        std::string error;
        ASSERT_TRUE(device.Start(&error)) << error;
    }

    Result Run(const std::string& command, const std::string& options = "") const {
        return Vyrctl("device " + options + "--port " + device.PortPath() +
                      " --user service --password-file " + File("service.pw") + " " + command);
    }
};

// `text` is well-formed UTF-8 without control characters (C0, DEL, C1) but the line feeds
// and, where `tabs`, the tabs vyrctl puts there itself.
void ExpectShownAsIs(const std::string& text, bool tabs = false) {
    const std::wstring wide = Utf8ToWide(text);
    EXPECT_EQ(WideToUtf8(wide), text) << "not UTF-8: " << text;
    for (const wchar_t c : wide) {
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        if (control && c != L'\n' && !(tabs && c == L'\t'))
            ADD_FAILURE() << "control character " << static_cast<unsigned>(c) << " in: " << text;
    }
}

TEST_F(VyrctlHostileDevice, InfoAndSerialNumber) {
    Result run = Run("info");
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectShownAsIs(run.out, true);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\t'), 7) << run.out;
    EXPECT_TRUE(run.out.starts_with("Firmware version: \t2.0_ - 1.0_\n")) << run.out;
    EXPECT_NE(run.out.find("\nHardware revision: \trev_[2J_H\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nSerial number: \t" + kUtf8Name + "_[2J\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\nCapsule: \t B_  :: "), std::string::npos) << run.out;

    run = Run("serial");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kUtf8Name + "_[2J\n");
}

TEST_F(VyrctlHostileDevice, AUserNameCannotFakeALine) {
    Result run = Run("users");
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectShownAsIs(run.out);
    EXPECT_EQ(run.out, "admin\nevil_superadmin\n" + kUtf8Name + "\n");

    // Nor an entry of the JSON data.
    run = Run("users", "--json ");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(R"("data":["admin","evil_superadmin",")" + kUtf8Name + R"("])"),
              std::string::npos)
        << run.out;
}

TEST_F(VyrctlHostileDevice, NotesAndResultsAsReceivedWithoutControls) {
    Result run = Run("notes");
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectShownAsIs(run.out);
    EXPECT_EQ(run.out,
              "2024/01/01-10:00| _[2J wiped\n2024/01/02-11:00| caf\xC3\xA9 _[31m red\n"
              "last _ without a line feed");

    run = Run("results");
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectShownAsIs(run.out);
    EXPECT_EQ(run.out, "PASS _ ok\n_[2J tail\n");
}

TEST_F(VyrctlHostileDevice, MicValueAndDateInMessages) {
    Result run = Run("mic d");
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectShownAsIs(run.out);
    ExpectShownAsIs(run.err);
    EXPECT_NE(run.out.find("\nmic_filter1_freq=2_]0;owned_\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("'2_]0;owned_'"), std::string::npos) << run.err;

    run = Run("time");
    EXPECT_EQ(run.status, 8);
    ExpectShownAsIs(run.err);
    EXPECT_NE(run.err.find("(it answered '2026/12/09_[2J-16:35:26_')"), std::string::npos)
        << run.err;
}

// A value read back different is quoted in the message, its line feed as \n.
TEST_F(VyrctlHostileDevice, AValueReadBackInTheMessage) {
    ASSERT_EQ(Vyrctl("file defaults " + File("defaults.Vyr")).status, 0);
    const Result run = Run("send " + File("defaults.Vyr") + " --active 1 --verify");
    EXPECT_EQ(run.status, 8);
    ExpectShownAsIs(run.err);
    EXPECT_NE(run.err.find("but reads back as '_[2J\\nfake_'"), std::string::npos) << run.err;
}

// The repair report of a load quotes what the device held: filtered as well.
TEST_F(VyrctlHostileDevice, TheRepairReportOfALoad) {
    const Result run = Run("load " + File("backup.Vyr"));
    EXPECT_NE(run.err.find("invalid_value: \"_[2J"), std::string::npos) << run.err.substr(0, 400);
    ExpectShownAsIs(run.err);
}

}  // namespace
}  // namespace vyr::test
