// "Compare with settings file...": the rows of the values a file holds differently from the
// window, named and shown as the window shows them; nothing differing; damaged and repaired
// files; the clipboard text; and when the command may be used.
#include <fstream>
#include <sstream>

#include <wx/clipbrd.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/stattext.h>

#include "app/compare_command.h"
#include "app/menus.h"
#include "app/transfers.h"
#include "device_window.h"
#include "dialogs/compare_dialog.h"
#include "frame_fixture.h"
#include "gui_events.h"
#include "modal_hook.h"
#include "settings/settings_file.h"

namespace vyr::test {
namespace {

const wxString kChooseMessage = "Choose a settings file to load";
const wxString kTitle = "Compare with settings file";

// What the comparison dialog showed.
struct Shown {
    std::vector<std::vector<std::string>> rows;  // the list's cells, row by row
    wxString fileLine;
    wxString note;
    bool noteShown = false;
    wxString count;
    wxString details;      // the two lines below the list, for the first row
    wxString lastDetails;  // the same after choosing the last row
    wxString clipboard;    // after Copy
};

// Expects the comparison dialog, reads what it shows, presses Copy and closes it.
class ExpectComparison : public wxExpectModalBase<CompareDlg, ExpectComparison> {
  public:
    explicit ExpectComparison(Shown* shown) : shown_(shown) {}

  protected:
    int OnInvoked(CompareDlg* dialog) const override {
        wxListCtrl* list = dialog->List();
        for (long item = 0; item < list->GetItemCount(); ++item) {
            std::vector<std::string> cells;
            for (int column = 0; column < list->GetColumnCount(); ++column)
                cells.push_back(list->GetItemText(item, column).utf8_string());
            shown_->rows.push_back(cells);
        }
        shown_->fileLine = dialog->FileLine()->GetLabelText();
        shown_->note = dialog->Note()->GetLabelText();
        shown_->noteShown = dialog->Note()->IsShown();
        shown_->count = dialog->Count()->GetLabelText();
        shown_->details =
            dialog->FileDetail()->GetLabelText() + "\n" + dialog->WindowDetail()->GetLabelText();
        // Choosing the last row shows its values in full.
        const long last = list->GetItemCount() - 1;
        list->SetItemState(last, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        shown_->lastDetails =
            dialog->FileDetail()->GetLabelText() + "\n" + dialog->WindowDetail()->GetLabelText();
        ClickButton(dialog->CopyButton());
        if (wxTheClipboard->Open()) {
            wxTextDataObject data;
            if (wxTheClipboard->GetData(data))
                shown_->clipboard = data.GetText();
            wxTheClipboard->Close();
        }
        return CompareDlg::ID_CLOSE;
    }
    wxString GetDefaultDescription() const override { return "the comparison dialog"; }

  private:
    Shown* shown_;
};

using Rows = std::vector<std::vector<std::string>>;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class CompareTest : public testing::Test {
  protected:
    void SetUp() override {
        world_ = std::make_unique<FrameWorld>();
        folder_ = world_->configRoot.Path();
    }
    void TearDown() override { world_.reset(); }

    AdminSWFrm& Frame() { return *world_->frame; }
    SettingStore& Window() { return world_->services.store; }
    int Key(std::string_view key) { return Window().Catalogue().Find(key); }
    std::string Path(const std::string& name) { return folder_ + "/" + name; }

    // A file holding the window's values with a few changed.
    std::string WriteChanged(
        const std::string& name,
        std::initializer_list<std::tuple<const char*, int, const char*>> changes) {
        GuardLog guard;
        SettingStore file(Window().Catalogue(), guard);
        file.AssignValues(Window());
        for (const auto& [key, preset, value] : changes)
            file.StoreSetting(Key(key), preset, value);
        EXPECT_EQ(SaveSettingsStore(file, Path(name)), SettingsFileStatus::Ok);
        return Path(name);
    }

    void Compare(const std::string& path, Shown* shown) {
        wxTEST_DIALOG(Command(&Frame(), menu::kCompareWithFile),
                      ChooseFile(kChooseMessage, wxString::FromUTF8(path)),
                      ExpectComparison(shown));
    }

    std::unique_ptr<FrameWorld> world_;
    std::string folder_;
};

TEST_F(CompareTest, ListsExactlyTheDifferingValuesAsTheWindowShowsThem) {
    // Not connected and not in offline mode: the command is there all the same.
    ASSERT_FALSE(Frame().Connected());
    ASSERT_FALSE(Frame().Offline());
    EXPECT_TRUE(Frame().GetMenuBar()->IsEnabled(menu::kCompareWithFile));

    const std::string path =
        WriteChanged("changed & more.Vyr", {{"play_headset_level", 3, "-20"},            // units
                                            {"pm_prefered_power_source", 2, "battery"},  // choice
                                            {"mic_label", 0, "Studio_B"},                // global
                                            {"preset_name", 1, "Interview"}});           // text
    const std::string before = FormatSettingsFile(Window());
    Shown shown;
    Compare(path, &shown);
    EXPECT_EQ(shown.rows, (Rows{{"All presets", "Microphone label:", "Studio_B", "Station_ID"},
                                {"PRESET 1", "Preset name:", "Interview", "Factory_settings"},
                                {"PRESET 2", "Preferred power source", "battery", "internal"},
                                {"PRESET 3", "Headphone amp level", "-20dB", "-10dB"}}));
    EXPECT_EQ(shown.count, "4 values differ");
    EXPECT_EQ(shown.fileLine, "Settings file: " + wxString::FromUTF8(path));
    EXPECT_FALSE(shown.noteShown);
    EXPECT_EQ(shown.details, "Studio_B\nStation_ID");
    EXPECT_EQ(shown.lastDetails, "-20dB\n-10dB");
    EXPECT_EQ(shown.clipboard,
              "Preset\tParameter\tFile value\tWindow value\n"
              "All presets\tMicrophone label:\tStudio_B\tStation_ID\n"
              "PRESET 1\tPreset name:\tInterview\tFactory_settings\n"
              "PRESET 2\tPreferred power source\tbattery\tinternal\n"
              "PRESET 3\tHeadphone amp level\t-20dB\t-10dB");
    // Comparing changes nothing in the window.
    EXPECT_EQ(FormatSettingsFile(Window()), before);
}

TEST_F(CompareTest, ValuesFollowTheirPresetsOutputAndSampleRate) {
    // The window's values are shown with the window's output selection and sample rate of
    // that preset, the file's with the file's.
    const std::string path =
        WriteChanged("context.Vyr", {{"play_output_selection", 4, "Lineout (balanced)"},
                                     {"play_lineout_level", 4, "-10"},
                                     {"rec_sample_rate", 5, "32000"},
                                     {"li_att", 5, "5"},
                                     {"rtc_autosync", 0, "0"},
                                     {"he_th", 6, "0"},
                                     {"rec_meta_originator", 7, "Reporter \xe4"},
                                     {"rec_sample_rate", 9, "32000"}});
    const int lookAheadMaximum = Window().Catalogue()[param::li_adv].max;
    Shown shown;
    Compare(path, &shown);
    EXPECT_EQ(
        shown.rows,
        (Rows{
            {"All presets", "Autom. sync with PC clock when SW connected to mic", "off", "on"},
            {"PRESET 4", "Output selection", "Lineout (balanced)", "Headphone"},
            {"PRESET 4", "Lineout level", "-4dBu", "0dBu"},
            {"PRESET 5", "Sample rate (Hz)", "32000", "48000"},
            {"PRESET 5", "Attack", "2.2 ms", "0.7 ms"},
            {"PRESET 6", "Hard end threshold", "-Inf dB", "22.0 dB"},
            {"PRESET 7", "BWF Metadata: Originator", "Reporter \xc3\xa4", "Vyr default originator"},
            {"PRESET 9", "Sample rate (Hz)", "32000", "48000"}}));
    EXPECT_EQ(shown.count, "8 values differ");
    // Reading the file left the window's look-ahead range as it was.
    EXPECT_EQ(Window().Catalogue()[param::li_adv].max, lookAheadMaximum);
}

TEST_F(CompareTest, IdenticalFileSaysSo) {
    Window().StoreSetting(Key("preset_name"), 2, "Same");
    const std::string path = WriteChanged("same.Vyr", {});
    wxTEST_DIALOG(
        Command(&Frame(), menu::kCompareWithFile),
        ChooseFile(kChooseMessage, wxString::FromUTF8(path)),
        ExpectMessage(kTitle, "The settings file same.Vyr holds the same values as the window."));
    // Cancelling the file dialog shows nothing more.
    wxTEST_DIALOG(Command(&Frame(), menu::kCompareWithFile),
                  ChooseFile(kChooseMessage, wxString::FromUTF8(path), wxID_CANCEL));
}

TEST_F(CompareTest, DamagedFilesGiveTheLoadsMessagesAndNoList) {
    const std::string good = WriteChanged("good.Vyr", {{"preset_name", 1, "Other"}});
    std::string corrupted = ReadAll(good);
    const auto at = corrupted.find("1:preset_name=Other");
    ASSERT_NE(at, std::string::npos);
    corrupted[at + 14] = 'X';
    std::ofstream(Path("corrupted.Vyr"), std::ios::binary) << corrupted;
    std::ofstream(Path("nonsense.Vyr"), std::ios::binary) << "hello\n";

    const std::string before = FormatSettingsFile(Window());
    const std::pair<std::string, const char*> cases[] = {
        {Path("corrupted.Vyr"), "The settings file has been corrupted and cannot be read."},
        {Path("nonsense.Vyr"), "The settings file has an invalid format and cannot be read."},
        {Path("gone.Vyr"), "Could not open settings file for reading."},
    };
    // The hook fails the test on any other dialog, the comparison's among them.
    for (const auto& [path, text] : cases) {
        wxTEST_DIALOG(Command(&Frame(), menu::kCompareWithFile),
                      ChooseFile(kChooseMessage, wxString::FromUTF8(path)),
                      ExpectMessage("Vyr file guard", text));
    }
    EXPECT_EQ(FormatSettingsFile(Window()), before);
}

TEST_F(CompareTest, RepairedFileIsComparedAsRepairedAndSaysSo) {
    // An out-of-range value (repaired to the window's own value) and a missing line (filled
    // with the default the window holds), resealed; one real difference.
    const std::string written = WriteChanged("repaired.Vyr", {{"preset_name", 3, "Field"}});
    const std::string whole = ReadAll(written);
    std::string lines = whole.substr(whole.find('\n') + 1);
    const auto level = lines.find("1:rec_mic_level=25\n");
    ASSERT_NE(level, std::string::npos);
    lines.replace(level, 19, "1:rec_mic_level=99\n");
    const auto missing = lines.find("4:rec_line_level=");
    lines.erase(missing, lines.find('\n', missing) + 1 - missing);
    std::ofstream(written, std::ios::binary)
        << "security_token=" + SettingsChecksum(lines) + "\n" + lines;

    const wxString note =
        "The file needed 2 repairs while it was read: its values are compared as repaired.";
    Shown shown;
    Compare(written, &shown);
    EXPECT_EQ(shown.rows, (Rows{{"PRESET 3", "Preset name:", "Field", "Factory_settings"}}));
    EXPECT_EQ(shown.count, "1 value differs");
    EXPECT_TRUE(shown.noteShown);
    EXPECT_EQ(shown.note, note);

    // Repaired and otherwise the same: the message says both.
    Window().StoreSetting(Key("preset_name"), 3, "Field");
    wxTEST_DIALOG(Command(&Frame(), menu::kCompareWithFile),
                  ChooseFile(kChooseMessage, wxString::FromUTF8(written)),
                  ExpectMessage(kTitle,
                                "The settings file repaired.Vyr holds the same values as the "
                                "window.\n\n" +
                                    note));
}

// The longest value a setting can hold, in the widest letters, stands in full below the list,
// inside the dialog; the buttons stay below everything.
TEST(CompareDialog, LongestValuesFitBelowTheList) {
    const std::string longest(kMaxValueLength, 'W');
    CompareDlg dialog(nullptr, "x.Vyr", "",
                      {{"PRESET 1", "Preset name:", longest, "Factory_settings"},
                       {"PRESET 2", "Preset name:", "Factory_settings", longest}});
    const wxSize client = dialog.GetClientSize();
    for (int row : {0, 1}) {
        dialog.List()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        wxStaticText* detail = row == 0 ? dialog.FileDetail() : dialog.WindowDetail();
        ASSERT_EQ(detail->GetLabelText(), longest);
        EXPECT_GE(detail->GetSize().x, detail->GetTextExtent(detail->GetLabelText()).x);
        EXPECT_LE(detail->GetRect().GetRight(), client.x);
        EXPECT_GT(dialog.CopyButton()->GetPosition().y, detail->GetRect().GetBottom());
        EXPECT_LE(dialog.CloseButton()->GetRect().GetRight(), client.x);
        EXPECT_LE(dialog.CloseButton()->GetRect().GetBottom(), client.y);
    }
}

TEST(CompareCommand, UsableConnectedOrNotButNotWhileAJobRuns) {
    using menu::When;
    EXPECT_TRUE(menu::Allowed(When::NotBusy, {}));
    EXPECT_TRUE(menu::Allowed(When::NotBusy, {.connected = true}));
    EXPECT_TRUE(menu::Allowed(When::NotBusy, {.offline = true}));
    EXPECT_FALSE(menu::Allowed(When::NotBusy, {.connected = true, .busy = true}));
}

// Against the simulator: disabled while a load runs, usable and working once it is done.
class CompareConnectedTest : public DeviceWindowTest {
  protected:
    ActiveEventLoop loop_;
};

TEST_F(CompareConnectedTest, DisabledWhileATransferRunsAndWorksConnected) {
    ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(
        PumpUntil([&] { return Frame().CurrentUserLevel() == UserLevel::Superadministrator(); }));
    EXPECT_TRUE(Frame().GetMenuBar()->IsEnabled(menu::kCompareWithFile));
    {
        GTestModalHook noDialog(__FILE__, __LINE__, "load from device");
        Command(&Frame(), menu::kLoadFromDevice);
        ASSERT_TRUE(Frame().Transfers().Running());
        EXPECT_FALSE(Frame().GetMenuBar()->IsEnabled(menu::kCompareWithFile));
        ASSERT_TRUE(PumpUntil([&] { return !Frame().Transfers().Running(); }));
    }
    EXPECT_TRUE(Frame().GetMenuBar()->IsEnabled(menu::kCompareWithFile));

    const std::string path = world->configRoot.Path() + "/device.Vyr";
    {
        GuardLog guard;
        SettingStore file(Frame().Store().Catalogue(), guard);
        file.AssignValues(Frame().Store());
        file.StoreSetting(Frame().Store().Catalogue().Find("rec_break_mode"), 2, "pause");
        ASSERT_EQ(SaveSettingsStore(file, path), SettingsFileStatus::Ok);
    }
    Shown shown;
    wxTEST_DIALOG(Command(&Frame(), menu::kCompareWithFile),
                  ChooseFile(kChooseMessage, wxString::FromUTF8(path)), ExpectComparison(&shown));
    EXPECT_EQ(
        shown.rows,
        (Rows{
            {"PRESET 2", "REC button action while recording", "pause",
             Frame().Store().Text(Frame().Store().Catalogue().Find("rec_break_mode"), 2).data()}}));
}

}  // namespace
}  // namespace vyr::test
