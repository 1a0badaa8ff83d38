// The program's own configuration file (last serial port) and the port choice's entries.
#include <atomic>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/config.h>
#include <wx/debug.h>
#include <wx/utils.h>

#include "app/local_config.h"
#include "app/port_choice.h"
#include "app/port_list.h"

namespace vyr::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

void ExpectPort(const LocalConfig& config, int index, const std::string& path) {
    EXPECT_EQ(config.LastPortIndex(), index);
    EXPECT_EQ(config.LastPortPath(), path);
}

// A fresh directory standing in for the user's configuration directory; the process-wide
// configuration is put back as it was.
class LocalConfigTest : public testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        root_ =
            fs::temp_directory_path() / ("vyr_local_config_" + std::to_string(wxGetProcessId()) +
                                         "_" + std::to_string(counter++));
        fs::remove_all(root_);
        fs::create_directories(root_);
        previous_ = wxConfigBase::Set(nullptr);
        // A toolkit assertion would open a dialog and wait for a person: fail instead.
        previousAssertHandler_ =
            wxSetAssertHandler([](const wxString& file, int line, const wxString&,
                                  const wxString& condition, const wxString& message) {
                ADD_FAILURE() << "toolkit assertion " << condition.utf8_string() << " at "
                              << file.utf8_string() << ":" << line << " " << message.utf8_string();
            });
    }
    void TearDown() override {
        wxSetAssertHandler(previousAssertHandler_);
        wxConfigBase::Set(previous_);
        fs::remove_all(root_);
    }
    fs::path Dir() const { return root_ / "Corvanta"; }
    fs::path File() const { return Dir() / "Vyr.cfg"; }
    std::string Root() const { return root_.string(); }

    // Writes a configuration file as another run (or a person) would have left it.
    void Prepare(const std::string& text) {
        fs::create_directories(Dir());
        WriteAll(File(), text);
    }

    fs::path root_;
    wxConfigBase* previous_ = nullptr;
    wxAssertHandler_t previousAssertHandler_ = nullptr;
};

TEST_F(LocalConfigTest, FirstStartCreatesTheDirectoryAndReadsDefaults) {
    ASSERT_FALSE(fs::exists(Dir()));
    LocalConfig config(Root());
    EXPECT_TRUE(fs::is_directory(Dir()));
    EXPECT_TRUE(config.Persistent());
    EXPECT_EQ(config.FilePath(), File().string());
    ExpectPort(config, 0, "");
}

TEST_F(LocalConfigTest, IsTheProcessWideConfigurationWhileItLives) {
    {
        LocalConfig config(Root());
        wxConfigBase* global = wxConfigBase::Get(false);
        ASSERT_NE(global, nullptr);
        ASSERT_TRUE(global->Write("/Global/LastCOMPort", 4L));
        EXPECT_EQ(config.LastPortIndex(), 4);
        ASSERT_TRUE(config.RememberPort(1, "/dev/ttyUSB0"));
        wxString path;
        EXPECT_TRUE(global->Read("/Global/LastPortPath", &path));
        EXPECT_EQ(path, "/dev/ttyUSB0");
    }
    EXPECT_EQ(wxConfigBase::Get(false), nullptr);
}

TEST_F(LocalConfigTest, RememberedPortIsWrittenOnDestructionAndReadNextTime) {
    {
        LocalConfig config(Root());
        ASSERT_TRUE(config.RememberPort(2, "/dev/ttyACM1"));
        ExpectPort(config, 2, "/dev/ttyACM1");
        EXPECT_FALSE(fs::exists(File())) << "written before the end without Flush";
    }
    const std::string text = ReadAll(File());
    EXPECT_NE(text.find("[Global]"), std::string::npos) << text;
    EXPECT_NE(text.find("LastCOMPort=2"), std::string::npos) << text;
    EXPECT_NE(text.find("LastPortPath=/dev/ttyACM1"), std::string::npos) << text;

    LocalConfig again(Root());
    ExpectPort(again, 2, "/dev/ttyACM1");
}

TEST_F(LocalConfigTest, FlushWritesAtOnce) {
    LocalConfig config(Root());
    ASSERT_TRUE(config.RememberPort(3, "/dev/ttyS1"));
    config.Flush();
    const std::string text = ReadAll(File());
    EXPECT_NE(text.find("LastCOMPort=3"), std::string::npos) << text;
    EXPECT_NE(text.find("LastPortPath=/dev/ttyS1"), std::string::npos) << text;
}

TEST_F(LocalConfigTest, ReadsAFileWrittenByHand) {
    Prepare("[Global]\r\nLastCOMPort = 5\r\nLastPortPath=/dev/ttyUSB7\r\n");
    LocalConfig config(Root());
    ExpectPort(config, 5, "/dev/ttyUSB7");
}

TEST_F(LocalConfigTest, AnIndexThatIsNotANumberReadsAsZero) {
    for (const char* value : {"abc", "3x", "", "1.5", "0x10", "99999999999", "- 2"}) {
        SCOPED_TRACE(value);
        Prepare(std::string("[Global]\nLastCOMPort=") + value + "\nLastPortPath=/dev/ttyACM0\n");
        LocalConfig config(Root());
        ExpectPort(config, 0, "/dev/ttyACM0");
    }
}

// A port index counts as remembered only when the file holds a number for it: where the
// index names a port (COM5 is 4), an absent one must not pick COM1 over a port named with
// --port.
TEST_F(LocalConfigTest, AnIndexIsRememberedOnlyWhenTheFileHoldsANumber) {
    {
        LocalConfig config(Root());
        EXPECT_FALSE(config.RemembersPortIndex());
        EXPECT_EQ(config.LastPortIndex(), 0);
    }
    for (const char* value : {"abc", "", "1.5"}) {
        SCOPED_TRACE(value);
        Prepare(std::string("[Global]\nLastCOMPort=") + value + "\n");
        EXPECT_FALSE(LocalConfig(Root()).RemembersPortIndex());
    }
    Prepare("[Global]\nLastCOMPort=0\n");
    EXPECT_TRUE(LocalConfig(Root()).RemembersPortIndex());
}

TEST_F(LocalConfigTest, NegativeAndLargeIndexesAreReturnedAsTheyAre) {
    Prepare("[Global]\nLastCOMPort=-3\n");
    {
        LocalConfig config(Root());
        EXPECT_EQ(config.LastPortIndex(), -3);
    }
    Prepare("[Global]\nLastCOMPort=2147483647\n");
    LocalConfig config(Root());
    EXPECT_EQ(config.LastPortIndex(), INT_MAX);
    EXPECT_EQ(ChoosePort({"/dev/ttyACM0", "/dev/ttyACM1"}, "", config.LastPortIndex()), 0);
}

TEST_F(LocalConfigTest, ValuesOutsideTheGlobalGroupDoNotCount) {
    Prepare("LastCOMPort=7\n[Other]\nLastCOMPort=8\nLastPortPath=/dev/ttyS9\n");
    LocalConfig config(Root());
    ExpectPort(config, 0, "");
}

TEST_F(LocalConfigTest, ADamagedFileGivesDefaultsAndIsReplacedByTheNewValues) {
    const char raw[] = "[Glo\0bal\n\xff\xfe\x00[=]]]\n=\n[Global\nLastCOMPort\n\x01\x02";
    std::string garbage(raw, sizeof raw - 1);
    garbage += std::string(5000, '[');
    Prepare(garbage);
    {
        LocalConfig config(Root());
        ExpectPort(config, 0, "");
        ASSERT_TRUE(config.RememberPort(1, "/dev/ttyACM3"));
    }
    LocalConfig again(Root());
    ExpectPort(again, 1, "/dev/ttyACM3");
}

TEST_F(LocalConfigTest, AnEntryWithoutANameIsLeftOutAndTheRestRead) {
    Prepare("[Global]\n=\n = 7\nLastCOMPort=3\nLastPortPath=/dev/ttyUSB4\n");
    {
        LocalConfig config(Root());
        ExpectPort(config, 3, "/dev/ttyUSB4");
    }
    const std::string text = ReadAll(File());
    EXPECT_EQ(text.find("\n="), std::string::npos) << text;
}

TEST_F(LocalConfigTest, AGroupGivenTwiceIsReadAsOne) {
    Prepare(
        "[Global]\nLastCOMPort=2\nLastCOMPort=5\n[Other]\nx=1\n[Global]\n"
        "LastPortPath=/dev/ttyACM4\n");
    LocalConfig config(Root());
    ExpectPort(config, 2, "/dev/ttyACM4");
}

TEST_F(LocalConfigTest, ASoundFileIsNotRewrittenWhenNothingChanged) {
    const std::string text = "; written by hand\r\n[Global]\r\nLastCOMPort = 1\r\n";
    Prepare(text);
    {
        LocalConfig config(Root());
        EXPECT_EQ(config.LastPortIndex(), 1);
    }
    EXPECT_EQ(ReadAll(File()), text);
}

TEST_F(LocalConfigTest, AnAbsurdlyLargeFileReadsAsEmpty) {
    Prepare("[Global]\nLastCOMPort=4\n" + std::string(200 * 1024, '#') + "\n");
    LocalConfig config(Root());
    EXPECT_EQ(config.LastPortIndex(), 0);
    EXPECT_LT(fs::file_size(File()), 1024u);
}

TEST_F(LocalConfigTest, AFileInUtf16WithByteOrderMarkIsRead) {
    const std::string ascii = "[Global]\nLastCOMPort=6\nLastPortPath=/dev/ttyUSB2\n";
    std::string utf16 = "\xff\xfe";
    for (char c : ascii) {
        utf16 += c;
        utf16 += '\0';
    }
    Prepare(utf16);
    LocalConfig config(Root());
    ExpectPort(config, 6, "/dev/ttyUSB2");
}

TEST_F(LocalConfigTest, PathsAreKeptLiterally) {
    const std::string odd = "/dev/serial/by-id/usb-Mikrofon_\xc3\xa4 $HOME \\n #1;x=\"y\"";
    {
        LocalConfig config(Root());
        ASSERT_TRUE(config.RememberPort(0, odd));
        EXPECT_EQ(config.LastPortPath(), odd);
    }
    LocalConfig again(Root());
    EXPECT_EQ(again.LastPortPath(), odd);
}

// A configuration folder that does not exist yet (a new account, $XDG_CONFIG_HOME named but
// not made) is made, parents and all, so that the port is remembered from the first run.
TEST_F(LocalConfigTest, MissingParentFoldersAreMade) {
    const fs::path absent = root_ / "absent" / "deeper";
    {
        LocalConfig config(absent.string());
        EXPECT_TRUE(config.Persistent());
        ExpectPort(config, 0, "");
        EXPECT_TRUE(config.RememberPort(4, "/dev/ttyUSB1"));
        config.Flush();
    }
    EXPECT_EQ(wxConfigBase::Get(false), nullptr);
    const std::string text = ReadAll(absent / "Corvanta" / "Vyr.cfg");
    EXPECT_NE(text.find("LastCOMPort=4"), std::string::npos) << text;
    LocalConfig again(absent.string());
    ExpectPort(again, 4, "/dev/ttyUSB1");
}

TEST_F(LocalConfigTest, AFileWhereTheDirectoryShouldBeKeepsValuesInMemoryOnly) {
    WriteAll(Dir(), "not a directory");
    {
        LocalConfig config(Root());
        EXPECT_FALSE(config.Persistent());
        EXPECT_TRUE(config.RememberPort(2, "/dev/ttyACM0"));
        EXPECT_EQ(config.LastPortIndex(), 2);
    }
    EXPECT_EQ(ReadAll(Dir()), "not a directory");
}

TEST_F(LocalConfigTest, WithoutOverrideUsesXdgConfigHome) {
    wxString saved;
    const bool hadSaved = wxGetEnv("XDG_CONFIG_HOME", &saved);
    ASSERT_TRUE(wxSetEnv("XDG_CONFIG_HOME", wxString::FromUTF8(Root())));
    {
        LocalConfig config;
        EXPECT_EQ(config.FilePath(), File().string());
        EXPECT_TRUE(fs::is_directory(Dir()));
        ASSERT_TRUE(config.RememberPort(1, "/dev/ttyACM9"));
    }
    if (hadSaved)
        wxSetEnv("XDG_CONFIG_HOME", saved);
    else
        wxUnsetEnv("XDG_CONFIG_HOME");
    EXPECT_NE(ReadAll(File()).find("LastPortPath=/dev/ttyACM9"), std::string::npos);
}

// ---- port list ----

using Paths = std::vector<std::string>;

TEST(PortList, CommandLinePortsComeFirstThenTheFoundOnesEachOnce) {
    const Paths entries =
        PortEntries({"/tmp/vyrsim", "/dev/ttyUSB1", "/tmp/vyrsim"},
                    {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0"});
    EXPECT_EQ(entries,
              (Paths{"/tmp/vyrsim", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyS0"}));
}

TEST(PortList, KeepsTheOrderOfTheFoundPortsAndDropsEmptyNames) {
    EXPECT_EQ(PortEntries({}, {"/dev/ttyACM2", "/dev/ttyACM10"}),
              (Paths{"/dev/ttyACM2", "/dev/ttyACM10"}));
    EXPECT_EQ(PortEntries({"", "/dev/pts/3"}, {"", "/dev/ttyACM0", "/dev/ttyACM0"}),
              (Paths{"/dev/pts/3", "/dev/ttyACM0"}));
    EXPECT_TRUE(PortEntries({}, {}).empty());
}

TEST(PortList, ChoosesTheRememberedPathBeforeTheRememberedIndex) {
    const Paths entries{"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyUSB0"};
    EXPECT_EQ(ChoosePort(entries, "/dev/ttyUSB0", 1), 2);
    EXPECT_EQ(ChoosePort(entries, "/dev/ttyACM0", 2), 0);
}

TEST(PortList, ARememberedStableNameChoosesTheDeviceItNamesToday) {
    const Paths entries{"/tmp/vyrsim", "/dev/ttyACM0", "/dev/ttyACM1"};
    const std::string stable = "/dev/serial/by-id/usb-Vyr_Microphone_0123-if00";
    EXPECT_EQ(ChoosePort(entries, stable, 1, "/dev/ttyACM1"), 2);
    // A path in the list is taken as it is, before what it resolves to.
    EXPECT_EQ(ChoosePort(entries, "/tmp/vyrsim", 2, "/dev/pts/4"), 0);
    // The device is not there: the index decides.
    EXPECT_EQ(ChoosePort(entries, stable, 1, stable), 1);
}

TEST(PortList, AnIndexThatNamesAPortChoosesThatPort) {
    // Windows: the remembered index 2 is COM3, wherever COM3 stands in the list.
    const Paths entries{"COM5", "COM1", "COM3"};
    EXPECT_EQ(ChoosePort(entries, "", -1, "", "COM3"), 2);
    // The remembered name still comes first.
    EXPECT_EQ(ChoosePort(entries, "COM1", -1, "COM1", "COM3"), 1);
    // COM7 is not there: the first entry, not the seventh.
    EXPECT_EQ(ChoosePort(entries, "", -1, "", "COM7"), 0);
}

TEST(PortList, AnEntryShowsTheSystemsDescriptionWithoutThePortItRepeats) {
    EXPECT_EQ(PortLabel("COM5", "", "USB Serial Device (COM5)"), "COM5 (USB Serial Device)");
    EXPECT_EQ(PortLabel("COM1", "", "Communications Port"), "COM1 (Communications Port)");
    EXPECT_EQ(PortLabel("COM12", "", "Adapter (COM1)"), "COM12 (Adapter (COM1))");
    EXPECT_EQ(PortLabel("COM5", "", "COM5"), "COM5");
    EXPECT_EQ(PortLabel("COM5", "", ""), "COM5");
    // A stable name, where there is one, is what the entry shows.
    EXPECT_EQ(PortLabel("/dev/ttyACM0", "/dev/serial/by-id/x", "USB device"), "/dev/ttyACM0 (x)");
}

TEST(PortList, AnEntryShowsTheFileNameOfItsStablePath) {
    EXPECT_EQ(PortLabel("/dev/ttyACM0", "/dev/serial/by-id/usb-Vyr_Microphone_0123-if00"),
              "/dev/ttyACM0 (usb-Vyr_Microphone_0123-if00)");
    EXPECT_EQ(PortLabel("/dev/ttyS0", ""), "/dev/ttyS0");
    EXPECT_EQ(PortLabel("/dev/ttyUSB0", "by-name"), "/dev/ttyUSB0 (by-name)");
}

TEST(PortList, FallsBackToTheIndexWhenThePathIsGone) {
    const Paths entries{"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyUSB0"};
    EXPECT_EQ(ChoosePort(entries, "/dev/ttyUSB5", 1), 1);
    EXPECT_EQ(ChoosePort(entries, "", 2), 2);
    EXPECT_EQ(ChoosePort(entries, "", 0), 0);
}

TEST(PortList, AnIndexOutsideTheListChoosesTheFirst) {
    const Paths entries{"/dev/ttyACM0", "/dev/ttyACM1"};
    EXPECT_EQ(ChoosePort(entries, "/dev/gone", 2), 0);
    EXPECT_EQ(ChoosePort(entries, "", -1), 0);
    EXPECT_EQ(ChoosePort(entries, "", INT_MIN), 0);
    EXPECT_EQ(ChoosePort(entries, "", INT_MAX), 0);
}

TEST(PortList, NothingToChooseInAnEmptyList) {
    EXPECT_EQ(ChoosePort({}, "/dev/ttyACM0", 0), -1);
    EXPECT_EQ(ChoosePort({}, "", 3), -1);
    EXPECT_EQ(KeepSelection({}, "/dev/ttyACM0"), -1);
}

TEST(PortList, RescanKeepsTheSelectedPathWhereverItMoved) {
    EXPECT_EQ(KeepSelection({"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyUSB0"}, "/dev/ttyUSB0"), 2);
    EXPECT_EQ(KeepSelection({"/dev/ttyUSB0"}, "/dev/ttyUSB0"), 0);
    EXPECT_EQ(KeepSelection({"/dev/ttyACM0", "/dev/ttyUSB0"}, "/dev/ttyACM7"), 0);
    EXPECT_EQ(KeepSelection({"/dev/ttyACM0", "/dev/ttyUSB0"}, ""), 0);
}

}  // namespace
}  // namespace vyr::test
