// "Save settings to computer" and "Load settings from computer" through their file dialogs,
// with the refusals and the repair report; and the port remembered across two starts.
#include <filesystem>
#include <fstream>
#include <sstream>

#include <wx/choice.h>

#include "app/menus.h"
#include "dialogs/protocol_guard_dlg.h"
#include "app/port_choice.h"
#include "frame_fixture.h"
#include "gui_events.h"
#include "modal_hook.h"
#include "settings/settings_file.h"

namespace vyr::test {
namespace {

const wxString kSaveMessage = "Choose a name for settings file";
const wxString kLoadMessage = "Choose a settings file to load";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteAll(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Expects the repair report and keeps what it listed.
class ExpectGuardReport : public wxExpectModalBase<ProtocolGuardDlg, ExpectGuardReport> {
  public:
    explicit ExpectGuardReport(wxString* log) : log_(log) {}

  protected:
    int OnInvoked(ProtocolGuardDlg* dialog) const override {
        *log_ = dialog->LogField()->GetValue();
        return wxID_OK;
    }
    wxString GetDefaultDescription() const override { return "the protocol guard report"; }

  private:
    wxString* log_;
};

class SettingsFileDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        world_ = std::make_unique<FrameWorld>();
        Command(world_->frame, menu::kOfflineMode);
        folder_ = world_->configRoot.Path();
    }
    void TearDown() override { world_.reset(); }

    AdminSWFrm& Frame() { return *world_->frame; }
    SettingStore& Store() { return world_->services.store; }
    int Key(std::string_view key) { return Store().Catalogue().Find(key); }
    std::string Path(const std::string& name) { return folder_ + "/" + name; }

    void Save(const std::string& typed) {
        wxTEST_DIALOG(Command(&Frame(), menu::kSaveToComputer),
                      ChooseFile(kSaveMessage, wxString::FromUTF8(typed)));
    }

    std::unique_ptr<FrameWorld> world_;
    std::string folder_;
};

TEST_F(SettingsFileDialogTest, SavedFileLoadsBackWithoutReport) {
    Store().StoreSetting(Key("preset_name"), 1, "Interview");
    Store().StoreSetting(Key("rec_mic_level"), 4, "33");
    Save(Path("backup"));  // the extension is added
    const std::string file = Path("backup.Vyr");
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(ReadAll(file), FormatSettingsFile(Store()));

    Store().ResetAllToDefaults();
    Frame().ShowEditedPreset();
    ASSERT_EQ(Frame().ControlAs<wxTextCtrl>("preset_name")->GetValue(), "Factory_settings");
    // No report dialog: the hook fails the test on any dialog but the file dialog.
    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ExpectDiscard("Load settings from computer"),
                  ChooseFile(kLoadMessage, wxString::FromUTF8(file)));
    EXPECT_EQ(Store().Text(Key("rec_mic_level"), 4), "33");
    EXPECT_EQ(Frame().ControlAs<wxTextCtrl>("preset_name")->GetValue(), "Interview");
    EXPECT_EQ(Frame().EditedPreset(), 1);
}

// vyradmin FILE (how a file manager opens a .Vyr file): the file is loaded once the window is
// shown, offline, with nothing unsaved.
TEST(StartWithAFile, TheFileIsLoadedOnceTheWindowIsShown) {
    ConfigRoot folder;
    SettingsModel written;
    written.store.ResetAllToDefaults();
    const int mic = written.catalogue.Find("rec_mic_level");
    written.store.StoreSetting(mic, 4, "33");
    written.store.StoreSetting(written.catalogue.Find("preset_name"), 1, "Interview");
    const std::string file = folder.Path() + "/start.Vyr";
    WriteAll(file, FormatSettingsFile(written.store));

    StartOptions options;
    options.settingsFile = file;
    FrameWorld world(options);  // settles: the load runs after the window is shown
    EXPECT_EQ(world.services.store.Text(mic, 4), "33");
    EXPECT_EQ(world.frame->ControlAs<wxTextCtrl>("preset_name")->GetValue(), "Interview");
    EXPECT_EQ(world.frame->GetTitle().Find('*'), wxNOT_FOUND) << "nothing is unsaved";
}

TEST_F(SettingsFileDialogTest, DamagedFilesAreRefusedAndTheStoreStaysAsItWas) {
    Save(Path("good.Vyr"));
    const std::string good = ReadAll(Path("good.Vyr"));
    Store().StoreSetting(Key("preset_name"), 1, "Unsaved");
    Frame().ShowEditedPreset();
    const std::string before = FormatSettingsFile(Store());

    std::string corrupted = good;
    const auto at = corrupted.find("rec_mic_level=");
    ASSERT_NE(at, std::string::npos);
    corrupted[at + 14] = corrupted[at + 14] == '1' ? '2' : '1';
    WriteAll(Path("corrupted.Vyr"), corrupted);
    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ExpectDiscard("Load settings from computer"),
                  ChooseFile(kLoadMessage, wxString::FromUTF8(Path("corrupted.Vyr"))),
                  ExpectMessage("Vyr file guard",
                                "The settings file has been corrupted and cannot be read."));
    EXPECT_EQ(FormatSettingsFile(Store()), before);

    WriteAll(Path("nonsense.Vyr"), "hello\n");
    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ExpectDiscard("Load settings from computer"),
                  ChooseFile(kLoadMessage, wxString::FromUTF8(Path("nonsense.Vyr"))),
                  ExpectMessage("Vyr file guard",
                                "The settings file has an invalid format and cannot be read."));
    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ExpectDiscard("Load settings from computer"),
                  ChooseFile(kLoadMessage, wxString::FromUTF8(Path("gone.Vyr"))),
                  ExpectMessage("Vyr file guard", "Could not open settings file for reading."));
    EXPECT_EQ(FormatSettingsFile(Store()), before);
    EXPECT_EQ(Frame().ControlAs<wxTextCtrl>("preset_name")->GetValue(), "Unsaved");

    // A folder where the file should go cannot be replaced by it.
    std::filesystem::create_directory(Path("folder.Vyr"));
    wxTEST_DIALOG(Command(&Frame(), menu::kSaveToComputer),
                  ChooseFile(kSaveMessage, wxString::FromUTF8(Path("folder.Vyr"))),
                  ExpectMessage("File error", "Could not save settings file"));
}

TEST_F(SettingsFileDialogTest, RepairsAreReportedAndShown) {
    // A value out of range for preset 1 and a missing line for preset 4, resealed.
    std::string content = FormatSettingsFile(Store());
    const auto body = content.find('\n') + 1;
    std::string lines = content.substr(body);
    const auto level = lines.find("1:rec_mic_level=25\n");
    ASSERT_NE(level, std::string::npos);
    lines.replace(level, 19, "1:rec_mic_level=99\n");
    const auto missing = lines.find("4:rec_line_level=");
    lines.erase(missing, lines.find('\n', missing) + 1 - missing);
    WriteAll(Path("repaired.Vyr"), "security_token=" + SettingsChecksum(lines) + "\n" + lines);

    wxString log;
    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ChooseFile(kLoadMessage, wxString::FromUTF8(Path("repaired.Vyr"))),
                  ExpectGuardReport(&log));
    EXPECT_EQ(log,
              "    parameter: \"rec_mic_level\" preset: #1 invalid_value: \"99\" new value: "
              "\"25\"\n"
              "    parameter: \"rec_line_level\" preset: #4 -missing- new value: \"0\"\n");
    EXPECT_EQ(Frame().ControlAs<wxSpinCtrl>("spin_rec_mic_level")->GetValue(), 25);
}

TEST_F(SettingsFileDialogTest, AddedExtensionDoesNotReplaceAFileUnasked) {
    WriteAll(Path("keep.Vyr"), "precious\n");
    wxTEST_DIALOG(
        Command(&Frame(), menu::kSaveToComputer),
        ChooseFile(kSaveMessage, wxString::FromUTF8(Path("keep"))),
        ExpectMessage("Save settings to computer",
                      "The file keep.Vyr already exists. Do you want to replace it?", wxID_NO));
    EXPECT_EQ(ReadAll(Path("keep.Vyr")), "precious\n");
    wxTEST_DIALOG(Command(&Frame(), menu::kSaveToComputer),
                  ChooseFile(kSaveMessage, wxString::FromUTF8(Path("keep")), wxID_CANCEL));
    EXPECT_EQ(ReadAll(Path("keep.Vyr")), "precious\n");
}

// The port chosen is remembered in the configuration and selected again at the next start,
// by its path even when the list has changed.
TEST(PortMemory, RememberedPortIsSelectedAtTheNextStart) {
    ConfigRoot root;
    {
        FrameWorld first({.ports = {"/dev/vyr-a", "/dev/vyr-b"}, .configDir = root.Path()});
        auto* ports = first.frame->ControlAs<wxChoice>("PortChoice");
        EXPECT_EQ(ports->GetString(0), "/dev/vyr-a");
        EXPECT_EQ(ports->GetSelection(), 0);  // nothing remembered yet
        ports->SetSelection(1);
        first.frame->Ports().Remember();
    }
    const std::string file = ReadAll(root.Path() + "/Corvanta/Vyr.cfg");
    EXPECT_NE(file.find("[Global]"), std::string::npos);
    EXPECT_NE(file.find("LastCOMPort=1"), std::string::npos);
    EXPECT_NE(file.find("LastPortPath=/dev/vyr-b"), std::string::npos);

    FrameWorld second(
        {.ports = {"/dev/vyr-c", "/dev/vyr-a", "/dev/vyr-b"}, .configDir = root.Path()});
    EXPECT_EQ(second.frame->Ports().SelectedPath(), "/dev/vyr-b");
}

}  // namespace
}  // namespace vyr::test
