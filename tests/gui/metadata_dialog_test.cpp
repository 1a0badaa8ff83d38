// The broadcast-wave metadata dialog opened from the main window's "BWF Metadata" button:
// its fields, what OK stores into the edited preset, that Cancel, Escape and a close request
// store nothing, the fields' limits and live filter, accessible names, that every text fits,
// and the serial number read from a connected device.
#include <functional>
#include <string>

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/main_frame.h"
#include "device_window.h"
#include "dialogs/metadata_dialog.h"
#include "frame_fixture.h"
#include "gui_support.h"
#include "modal_hook.h"
#include "settings/bwf_metadata.h"
#include "ui/accessible.h"
#include "ui/gtk_style.h"

namespace vyr::test {
namespace {

using Dlg = MetaDataDlg;
constexpr int kPreset = 4;

// Answers the metadata dialog: `act` works on it (types, clicks), and the dialog's own
// return code is the answer.
class UseMetaData : public wxExpectModalBase<MetaDataDlg, UseMetaData> {
  public:
    explicit UseMetaData(std::function<void(MetaDataDlg&)> act) : act_(std::move(act)) {}

  protected:
    int OnInvoked(MetaDataDlg* dialog) const override {
        act_(*dialog);
        return dialog->GetReturnCode();
    }

  private:
    std::function<void(MetaDataDlg&)> act_;
};

void ClickMetaDataButton(AdminSWFrm& frame) {
    wxWindow* button = frame.Control("MetaDataBtn");
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

std::string Value(const MetaDataDlg& dialog, int id) {
    return dialog.Field(id)->GetValue().utf8_string();
}

// The eight values of a preset, in catalogue order.
std::vector<std::string> MetaValues(SettingStore& store, int preset) {
    std::vector<std::string> values;
    for (int p = param::rec_meta_description0; p <= param::rec_meta_ooo; ++p)
        values.emplace_back(store.Text(p, preset));
    return values;
}

// Types into every editable field.
void ChangeEverything(MetaDataDlg& dialog) {
    dialog.Field(Dlg::ID_DESC_EDIT)->ChangeValue("changed description");
    dialog.Field(Dlg::ID_ORIGIN_EDIT)->ChangeValue("changed originator");
    dialog.Field(Dlg::ID_CC_EDIT)->ChangeValue("XY");
    dialog.Field(Dlg::ID_OOO_EDIT)->ChangeValue("XYZ");
}

class MetaDataDialogTest : public FrameTest {
  protected:
    void SetUp() override {
        Frame().Store().ResetAllToDefaults();
        Frame().Store().StoreSetting(param::presets_enabled, 0, "1");
        Frame().ShowEditedPreset();
        Frame().EditPreset(kPreset);
        ASSERT_EQ(Frame().EditedPreset(), kPreset);
    }
};

TEST_F(MetaDataDialogTest, ShowsTheEditedPresetAndOkStoresTheFields) {
    Frame().Store().StoreSetting(param::rec_meta_description0 + 1, kPreset, " second piece");
    const auto otherPreset = MetaValues(Frame().Store(), 2);
    bool shown = false;
    wxTEST_DIALOG(
        ClickMetaDataButton(Frame()), UseMetaData([&](MetaDataDlg& dialog) {
            shown = true;
            EXPECT_EQ(dialog.GetTitle(), "BWF Metadata");
            EXPECT_EQ(dialog.GetParent(), &Frame());
            EXPECT_FALSE(dialog.HasFlag(wxCLOSE_BOX));
            EXPECT_EQ(Value(dialog, Dlg::ID_DESC_EDIT),
                      "Vyr default recording description second piece");
            EXPECT_EQ(Value(dialog, Dlg::ID_ORIGIN_EDIT), "Vyr default originator");
            EXPECT_EQ(Value(dialog, Dlg::ID_CC_EDIT), "CC");
            EXPECT_EQ(Value(dialog, Dlg::ID_OOO_EDIT), "OOO");
            // Not connected: the device could not be asked.
            EXPECT_EQ(Value(dialog, Dlg::ID_SERIAL_EDIT), "Vyr_noserial");
            EXPECT_EQ(Value(dialog, Dlg::ID_TIME_EDIT), "[Time]");
            EXPECT_EQ(Value(dialog, Dlg::ID_RANDOM_EDIT), "[Random]");
            EXPECT_EQ(dialog.OkButton()->GetLabel(), "Ok");
            EXPECT_EQ(dialog.CancelButton()->GetLabel(), "Cancel");
            EXPECT_EQ(dialog.GetDefaultItem(), dialog.CancelButton());
            for (int id : {Dlg::ID_SERIAL_EDIT, Dlg::ID_TIME_EDIT, Dlg::ID_RANDOM_EDIT})
                EXPECT_FALSE(dialog.Field(id)->IsEditable()) << id;
            for (int id : {Dlg::ID_CC_EDIT, Dlg::ID_OOO_EDIT, Dlg::ID_SERIAL_EDIT,
                           Dlg::ID_TIME_EDIT, Dlg::ID_RANDOM_EDIT})
                EXPECT_TRUE(dialog.Field(id)->HasFlag(wxTE_CENTRE)) << id;
            EXPECT_FALSE(dialog.Field(Dlg::ID_ORIGIN_EDIT)->HasFlag(wxTE_CENTRE));

            // A line feed stays; a character outside the repertoire becomes "_".
            dialog.Field(Dlg::ID_DESC_EDIT)
                ->ChangeValue(std::string(58, 'a') + " and\nmore " + std::string(70, 'b'));
            dialog.Field(Dlg::ID_ORIGIN_EDIT)
                ->ChangeValue(wxString::FromUTF8("Radio \xE2\x82\xAC \xC3\xA4"));
            dialog.Field(Dlg::ID_CC_EDIT)->ChangeValue("DE");
            dialog.Field(Dlg::ID_OOO_EDIT)->ChangeValue("BR1");
            ClickButton(dialog.OkButton());
        }));
    ASSERT_TRUE(shown);
    SettingStore& store = Frame().Store();
    const BwfMetadata stored = ReadBwfMetadata(store, kPreset);
    EXPECT_EQ(stored.description, std::string(58, 'a') + " and\nmore " + std::string(70, 'b'));
    EXPECT_EQ(store.Text(param::rec_meta_description0, kPreset), std::string(57, 'a'));
    EXPECT_EQ(stored.originator, "Radio _ \xE4");
    EXPECT_EQ(stored.countryCode, "DE");
    EXPECT_EQ(stored.organisationCode, "BR1");
    EXPECT_EQ(MetaValues(store, 2), otherPreset);
}

TEST_F(MetaDataDialogTest, CancelEscapeAndACloseRequestStoreNothing) {
    const auto before = MetaValues(Frame().Store(), kPreset);
    const std::function<void(MetaDataDlg&)> endings[] = {
        [](MetaDataDlg& dialog) { ClickButton(dialog.CancelButton()); },
        [](MetaDataDlg& dialog) {
            wxKeyEvent escape(wxEVT_CHAR_HOOK);
            escape.m_keyCode = WXK_ESCAPE;
            escape.SetEventObject(&dialog);
            dialog.ProcessWindowEvent(escape);
        },
        [](MetaDataDlg& dialog) { dialog.Close(); },
    };
    for (const auto& end : endings) {
        int code = -1;
        wxTEST_DIALOG(ClickMetaDataButton(Frame()), UseMetaData([&](MetaDataDlg& dialog) {
                          ChangeEverything(dialog);
                          end(dialog);
                          code = dialog.GetReturnCode();
                      }));
        EXPECT_EQ(code, wxID_CANCEL);
        EXPECT_EQ(MetaValues(Frame().Store(), kPreset), before);
    }
}

TEST_F(MetaDataDialogTest, DescriptionThatCannotBeCutIsRefusedAndTheDialogStays) {
    const auto before = MetaValues(Frame().Store(), kPreset);
    std::string words;
    while (words.size() < 120)
        words += "a ";
    wxTEST_DIALOG(
        ClickMetaDataButton(Frame()), UseMetaData([&](MetaDataDlg& dialog) {
            dialog.Field(Dlg::ID_DESC_EDIT)->ChangeValue(words);
            ClickButton(dialog.OkButton());
            EXPECT_NE(dialog.GetReturnCode(), wxID_OK);
            // Kept for correcting; the corrected text is stored.
            EXPECT_EQ(Value(dialog, Dlg::ID_DESC_EDIT), words);
            dialog.Field(Dlg::ID_DESC_EDIT)->ChangeValue("a b c");
            ClickButton(dialog.OkButton());
        }),
        ExpectMessage("BWF Metadata",
                      "The description cannot be stored: it is kept in pieces of at most 59 "
                      "characters, and each piece must begin and end with a character other "
                      "than a space or a line feed. Please shorten long runs of spaces, line "
                      "feeds or one-letter words."));
    auto after = before;
    after[0] = "a b c";
    EXPECT_EQ(MetaValues(Frame().Store(), kPreset), after);
}

TEST_F(MetaDataDialogTest, FieldsKeepToTheirLimitsAndTheDescriptionToTheRepertoire) {
    BwfMetadata record = ReadBwfMetadata(Frame().Store(), kPreset);
    MetaDataDlg dialog(&Frame(), record);
    for (auto [id, limit] : {std::pair{Dlg::ID_ORIGIN_EDIT, 32}, std::pair{Dlg::ID_CC_EDIT, 2},
                             std::pair{Dlg::ID_OOO_EDIT, 3}}) {
        wxTextCtrl* field = dialog.Field(id);
        field->ChangeValue(wxString('x', limit));
        EXPECT_EQ(field->GetValue().size(), static_cast<size_t>(limit)) << id;
        // The toolkit refuses a longer text as a whole.
        field->ChangeValue(wxString('y', limit + 1));
        EXPECT_LE(field->GetValue().size(), static_cast<size_t>(limit)) << id;
    }

    // The description: 256 characters at most, and characters outside the repertoire leave
    // at once with the cursor where it was.
    wxTextCtrl* description = dialog.Field(Dlg::ID_DESC_EDIT);
    description->SetValue(wxString('d', 300));
    wxYield();
    EXPECT_EQ(description->GetValue(), wxString('d', 256));
    description->SetValue("abcd");
    description->SetInsertionPoint(2);
    description->WriteText(wxString::FromUTF8("\xE2\x82\xAC"));
    wxYield();
    EXPECT_EQ(description->GetValue(), "abcd");
    EXPECT_EQ(description->GetInsertionPoint(), 2);
    description->SetInsertionPoint(1);
    description->WriteText(wxString::FromUTF8("x\xE2\x82\xAC\ny\xC3\xA4"));
    wxYield();
    EXPECT_EQ(description->GetValue(), wxString::FromUTF8("ax\ny\xC3\xA4"
                                                          "bcd"));
    EXPECT_EQ(description->GetInsertionPoint(), 5);
    // Nothing reached the record.
    EXPECT_EQ(record.description, "Vyr default recording description");
}

TEST_F(MetaDataDialogTest, FieldsAreNamedByTheirCaptionsAndEveryTextFits) {
    BwfMetadata record = ReadBwfMetadata(Frame().Store(), kPreset);
    record.serialNumber = "VYR-2417";  // capitals and digits, as the device's are
    record.originator = std::string(kOriginatorWidth, 'W');
    MetaDataDlg dialog(&Frame(), record);
    dialog.Show();
    Settle();

    const struct {
        int field;
        const char* name;
        int label;
    } names[] = {
        {Dlg::ID_DESC_EDIT, "Description:", Dlg::ID_DESC_LABEL},
        {Dlg::ID_ORIGIN_EDIT, "Originator:", Dlg::ID_ORIGIN_LABEL},
        {Dlg::ID_CC_EDIT, "Country code", Dlg::ID_CC_LABEL},
        {Dlg::ID_OOO_EDIT, "Organisation code", Dlg::ID_OOO_LABEL},
        {Dlg::ID_SERIAL_EDIT, "Serial number", Dlg::ID_SERIAL_LABEL},
        {Dlg::ID_TIME_EDIT, "Recording time", 0},
        {Dlg::ID_RANDOM_EDIT, "Random number", 0},
    };
    for (const auto& n : names) {
        EXPECT_EQ(AccessibleName(dialog.Field(n.field)), n.name);
        if (n.label != 0) {
            EXPECT_TRUE(IsLabelledBy(dialog.Field(n.field), dialog.Label(n.label))) << n.name;
        }
    }

    const wxRect client(wxPoint(0, 0), dialog.GetClientSize());
    EXPECT_GE(client.width, 420);
    EXPECT_GE(client.height, 410);
    std::vector<wxWindow*> controls;
    const std::function<void(wxWindow*)> collect = [&](wxWindow* parent) {
        for (wxWindow* child : parent->GetChildren()) {
            if (dynamic_cast<wxPanel*>(child))
                collect(child);
            else
                controls.push_back(child);
        }
    };
    collect(&dialog);
    ASSERT_EQ(controls.size(), 19u);
    for (wxWindow* control : controls) {
        const wxRect rect(dialog.ScreenToClient(control->GetScreenPosition()), control->GetSize());
        EXPECT_TRUE(client.Contains(rect)) << Where(control);
        if (dynamic_cast<wxStaticText*>(control) || dynamic_cast<wxButton*>(control)) {
            EXPECT_GE(control->GetSize().x, control->GetBestSize().x) << Where(control);
            EXPECT_GE(control->GetSize().y, control->GetBestSize().y) << Where(control);
        }
        auto* field = dynamic_cast<wxTextCtrl*>(control);
        if (field && !field->IsMultiLine()) {
            EXPECT_LE(field->GetTextExtent(field->GetValue()).x, TextAreaWidth(field))
                << Where(control);
        }
        for (wxWindow* other : controls) {
            const wxRect otherRect(dialog.ScreenToClient(other->GetScreenPosition()),
                                   other->GetSize());
            if (other != control) {
                EXPECT_FALSE(rect.Intersects(otherRect)) << Where(control) << " / " << Where(other);
            }
        }
    }
    dialog.Hide();
}

using MetaDataDeviceTest = DeviceWindowTest;

TEST_F(MetaDataDeviceTest, SerialPartComesFromTheDevice) {
    ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    std::string serial;
    wxTEST_DIALOG(
        {
            ClickMetaDataButton(Frame());
            // A second click while the number is read opens nothing more.
            ClickMetaDataButton(Frame());
            ASSERT_TRUE(PumpUntil([&] { return !serial.empty(); }));
            PumpFor(std::chrono::milliseconds(300));
        },
        UseMetaData([&](MetaDataDlg& dialog) {
            serial = Value(dialog, Dlg::ID_SERIAL_EDIT);
            ClickButton(dialog.CancelButton());
        }));
    // The device's "VYR-2417-0093\n", cut to eight characters.
    EXPECT_EQ(serial, "Vyr_VYR-2417");
    EXPECT_EQ(Requests("in  1 /chroma/serialnumber"), 1);
}

}  // namespace
}  // namespace vyr::test
