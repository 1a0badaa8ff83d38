#include "metadata_dialog.h"

#include <algorithm>
#include <string>

#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "settings/text.h"
#include "ui/dialog_size.h"
#include "ui/accessible.h"
#include "ui/dialog_button.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/message_box.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "BWF Metadata";
const wxSize kDialogSize(420, 410);
constexpr char kSerialPrefix[] = "Vyr_";
constexpr char kCannotCut[] =
    "The description cannot be stored: it is kept in pieces of at most 59 characters, and "
    "each piece must begin and end with a character other than a space or a line feed. "
    "Please shorten long runs of spaces, line feeds or one-letter words.";

enum class Kind { Panel, Label, CentredLabel, Field, CentredField, Description, Button };
constexpr int kDialog = -1;
constexpr int kInner = 0;
constexpr int kButtons = 1;
constexpr int kNone = 0;

struct Descriptor {
    Kind kind;
    int id;
    const char* name;
    int parent;  // kDialog, kInner or kButtons
    // A label's size comes from its text; a centred label sits under the field whose id
    // `width` holds.
    int x, y, width, height;
    const char* text;
    std::size_t limit;           // characters a field takes; 0: read-only
    int captionId;               // the label naming a field, or kNone
    const char* accessibleName;  // the field's name when its caption is not a label of its own
};

// In window order, which is also the tab order. Positions are relative to the parent.
constexpr Descriptor kControls[] = {
    {Kind::Panel, wxID_ANY, "panel", kDialog, 0, 0, 420, 410, "", 0, kNone, nullptr},
    {Kind::Panel, wxID_ANY, "buttonPanel", kInner, 0, 360, 420, 40, "", 0, kNone, nullptr},
    {Kind::Label, MetaDataDlg::ID_DESC_LABEL, "DescLabel", kInner, 12, 8, 0, 0, "Description:", 0,
     kNone, nullptr},
    {Kind::Description, MetaDataDlg::ID_DESC_EDIT, "DescEdit", kInner, 9, 28, 369, 142, "",
     kDescriptionWidth, MetaDataDlg::ID_DESC_LABEL, nullptr},
    {Kind::Label, MetaDataDlg::ID_ORIGIN_LABEL, "OriginLabel", kInner, 12, 177, 0, 0,
     "Originator:", 0, kNone, nullptr},
    {Kind::Field, MetaDataDlg::ID_ORIGIN_EDIT, "OriginEdit", kInner, 9, 195, 369, 25, "",
     kOriginatorWidth, MetaDataDlg::ID_ORIGIN_LABEL, nullptr},
    {Kind::Label, MetaDataDlg::ID_ORIGIN_REF_LABEL, "OriginRefLabel", kInner, 13, 229, 0, 0,
     "Originator Reference (USID):", 0, kNone, nullptr},
    {Kind::CentredField, MetaDataDlg::ID_CC_EDIT, "OriginRefCCEdit", kInner, 10, 248, 33, 25, "CC",
     kCountryCodeWidth, MetaDataDlg::ID_CC_LABEL, "Country code"},
    {Kind::CentredField, MetaDataDlg::ID_OOO_EDIT, "OriginRefOOOEdit", kInner, 49, 248, 43, 25,
     "OOO", kOrganisationCodeWidth, MetaDataDlg::ID_OOO_LABEL, "Organisation code"},
    {Kind::CentredField, MetaDataDlg::ID_SERIAL_EDIT, "OriginRefSerialEdit", kInner, 98, 248, 103,
     25, "Vyr_01234567", 0, MetaDataDlg::ID_SERIAL_LABEL, nullptr},
    {Kind::CentredField, MetaDataDlg::ID_TIME_EDIT, "OriginRefTimeEdit", kInner, 207, 248, 72, 25,
     "[Time]", 0, kNone, "Recording time"},
    {Kind::CentredField, MetaDataDlg::ID_RANDOM_EDIT, "OriginRefRandomEdit", kInner, 286, 248, 91,
     25, "[Random]", 0, kNone, "Random number"},
    {Kind::CentredLabel, MetaDataDlg::ID_CC_LABEL, "WxStaticText1", kInner, 0, 278,
     MetaDataDlg::ID_CC_EDIT, 0, "CC", 0, kNone, nullptr},
    {Kind::CentredLabel, MetaDataDlg::ID_OOO_LABEL, "WxStaticText2", kInner, 0, 278,
     MetaDataDlg::ID_OOO_EDIT, 0, "OOO", 0, kNone, nullptr},
    {Kind::CentredLabel, MetaDataDlg::ID_SERIAL_LABEL, "WxStaticText3", kInner, 0, 278,
     MetaDataDlg::ID_SERIAL_EDIT, 0, "Serial number", 0, kNone, nullptr},
    {Kind::Label, MetaDataDlg::ID_CC_LEGEND, "WxStaticText4", kInner, 13, 310, 0, 0, "CC:", 0,
     kNone, nullptr},
    {Kind::Label, MetaDataDlg::ID_OOO_LEGEND, "WxStaticText5", kInner, 13, 330, 0, 0, "OOO:", 0,
     kNone, nullptr},
    {Kind::Label, MetaDataDlg::ID_COUNTRY_LEGEND, "WxStaticText6", kInner, 55, 310, 0, 0,
     "Country code", 0, kNone, nullptr},
    {Kind::Label, MetaDataDlg::ID_ORGANISATION_LEGEND, "WxStaticText7", kInner, 55, 330, 0, 0,
     "Organisation code", 0, kNone, nullptr},
    {Kind::Button, MetaDataDlg::ID_CANCEL_BTN, "CancelBtn", kButtons, 190, 0, 91, 25, "Cancel", 0,
     kNone, nullptr},
    {Kind::Button, MetaDataDlg::ID_OK_BTN, "OkBtn", kButtons, 286, 0, 91, 25, "Ok", 0, kNone,
     nullptr},
};

// A text's size in the dialog's font; two pixels more for the toolkit's rounding.
wxSize TextSize(const wxString& text) {
    wxMemoryDC dc;
    dc.SetFont(fonts::Ui());
    return dc.GetTextExtent(text) + wxSize(2, 0);
}

}  // namespace

MetaDataDlg::MetaDataDlg(wxWindow* parent, BwfMetadata& record)
    : wxDialog(parent, ID_DIALOG, kTitle, wxDefaultPosition, kDialogSize, wxCAPTION),
      record_(record) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    CreateControls();

    // Fixed size; where the window manager's frame leaves less room than the controls need,
    // the dialog grows instead of cutting them off.
    FixDialogSize(*this, *GetChildren().front(), kDialogSize);

    CancelButton()->SetDefault();
    CancelButton()->SetFocus();
    SetEscapeId(ID_CANCEL_BTN);
    FillFields();
    CentreOnParent(wxBOTH);

    Bind(wxEVT_BUTTON, &MetaDataDlg::OnOk, this, ID_OK_BTN);
    Bind(wxEVT_BUTTON, &MetaDataDlg::OnCancel, this, ID_CANCEL_BTN);
    Bind(wxEVT_CLOSE_WINDOW, &MetaDataDlg::OnClose, this);
    Field(ID_DESC_EDIT)->Bind(wxEVT_TEXT, &MetaDataDlg::OnDescriptionText, this);
}

void MetaDataDlg::CreateControls() {
    wxWindow* built[std::size(kControls)] = {};
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        const Descriptor& d = kControls[i];
        wxWindow* parent = d.parent == kDialog ? static_cast<wxWindow*>(this) : built[d.parent];
        const wxPoint pos(d.x, d.y);
        const wxSize size(d.width, d.height);
        wxWindow* window = nullptr;
        switch (d.kind) {
            case Kind::Panel:
                window = new wxPanel(parent, d.id, pos, size, wxTAB_TRAVERSAL, d.name);
                break;
            case Kind::Label:
            case Kind::CentredLabel: {
                // Sized by its text in its own font: the toolkit would measure in its default
                // font until shown. A centred label sits under the middle of its field.
                const wxSize text = TextSize(d.text);
                wxPoint at = pos;
                if (d.kind == Kind::CentredLabel) {
                    const wxRect field = FindWindow(d.width)->GetRect();
                    at.x = std::max(0, field.x + (field.width - text.x) / 2);
                }
                window = new wxStaticText(parent, d.id, d.text, at, text, 0, d.name);
                break;
            }
            case Kind::Field:
            case Kind::CentredField:
            case Kind::Description: {
                long style = d.kind == Kind::Description    ? wxTE_MULTILINE
                             : d.kind == Kind::CentredField ? wxTE_CENTRE
                                                            : 0;
                if (d.limit == 0)
                    style |= wxTE_READONLY;
                auto* field = new wxTextCtrl(parent, d.id, d.text, pos, size, style,
                                             wxDefaultValidator, d.name);
                // The multi-line field has no limit of its own on this toolkit; its text
                // handler holds it to the limit.
                if (d.limit != 0 && d.kind != Kind::Description)
                    field->SetMaxLength(static_cast<unsigned long>(d.limit));
                window = field;
                break;
            }
            case Kind::Button: {
                window = MakeDialogButton(parent, d.id, d.text, pos, size, d.name);
                break;
            }
        }
        window->SetFont(fonts::Ui());
        built[i] = window;
    }
    // Fields whose caption is a label of their own carry it as their accessible name.
    for (const Descriptor& d : kControls) {
        if (d.captionId == kNone && d.accessibleName == nullptr)
            continue;
        wxWindow* caption = d.captionId == kNone ? nullptr : FindWindow(d.captionId);
        const wxString name = d.accessibleName ? wxString(d.accessibleName) : caption->GetLabel();
        SetAccessibleName(FindWindow(d.id), name, caption);
    }
}

wxTextCtrl* MetaDataDlg::Field(int id) const {
    return dynamic_cast<wxTextCtrl*>(FindWindow(id));
}

wxButton* MetaDataDlg::OkButton() const {
    return dynamic_cast<wxButton*>(FindWindow(ID_OK_BTN));
}

wxButton* MetaDataDlg::CancelButton() const {
    return dynamic_cast<wxButton*>(FindWindow(ID_CANCEL_BTN));
}

void MetaDataDlg::FillFields() {
    // The record's texts are within the fields' limits: a longer text would not be set at all.
    const auto show = [this](int id, const std::string& text) {
        Field(id)->ChangeValue(WidenSettingText(text));
    };
    show(ID_DESC_EDIT, Bounded(record_.description, kDescriptionWidth));
    show(ID_ORIGIN_EDIT, Bounded(record_.originator, kOriginatorWidth));
    show(ID_CC_EDIT, Bounded(record_.countryCode, kCountryCodeWidth));
    show(ID_OOO_EDIT, Bounded(record_.organisationCode, kOrganisationCodeWidth));
    show(ID_SERIAL_EDIT, kSerialPrefix + Bounded(record_.serialNumber, kSerialNumberWidth));
}

void MetaDataDlg::OnDescriptionText(wxCommandEvent& event) {
    event.Skip();
    // The toolkit is still inside its change of the text: the filter runs right after.
    if (!filterPending_) {
        filterPending_ = true;
        CallAfter(&MetaDataDlg::FilterDescription);
    }
}

void MetaDataDlg::FilterDescription() {
    filterPending_ = false;
    // Characters outside the device's repertoire disappear at once, and the text keeps to the
    // record's width; the cursor stays where it was, less what was left out before it.
    wxTextCtrl* field = Field(ID_DESC_EDIT);
    const std::wstring text = field->GetValue().ToStdWstring();
    const wxString kept =
        WidenSettingText(Bounded(NarrowSettingText(text, NarrowMode::Drop), kDescriptionWidth));
    if (kept == text)
        return;
    const auto cursor = std::min<std::size_t>(field->GetInsertionPoint(), text.size());
    const auto before =
        NarrowSettingText(std::wstring_view(text).substr(0, cursor), NarrowMode::Drop).size();
    field->ChangeValue(kept);
    field->SetInsertionPoint(static_cast<long>(std::min(before, kept.size())));
}

void MetaDataDlg::OnOk(wxCommandEvent&) {
    const auto read = [this](int id, std::size_t width) {
        return Bounded(NarrowSettingText(Field(id)->GetValue().ToStdWstring(), NarrowMode::Replace),
                       width);
    };
    const std::string description = read(ID_DESC_EDIT, kDescriptionWidth);
    if (!SplitDescription(description)) {
        ShowStatusMessage(this, {kTitle, kCannotCut, MessageIcon::Warning});
        Field(ID_DESC_EDIT)->SetFocus();
        return;
    }
    record_.description = description;
    record_.originator = read(ID_ORIGIN_EDIT, kOriginatorWidth);
    record_.countryCode = read(ID_CC_EDIT, kCountryCodeWidth);
    record_.organisationCode = read(ID_OOO_EDIT, kOrganisationCodeWidth);
    Finish(wxID_OK);
}

void MetaDataDlg::OnCancel(wxCommandEvent&) {
    Finish(wxID_CANCEL);
}

void MetaDataDlg::OnClose(wxCloseEvent&) {
    // A close request is a Cancel: the record stays as it was.
    Finish(wxID_CANCEL);
}

void MetaDataDlg::Finish(int code) {
    SetReturnCode(code);
    if (IsModal())
        EndModal(code);
    else
        Hide();
}

}  // namespace vyr
