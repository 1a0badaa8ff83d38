#include "metadata_dialog.h"

#include <algorithm>
#include <string>

#include <wx/button.h>
#include <wx/textctrl.h>

#include "settings/text.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "BWF Metadata";
const wxSize kDialogSize(420, 410);
constexpr char kSerialPrefix[] = "Vyr_";
constexpr char kCannotCut[] =
    "The description cannot be stored: it is kept in pieces of at most 59 characters, and "
    "each piece must begin and end with a character other than a space or a line feed. "
    "Please shorten long runs of spaces, line feeds or one-letter words.";

using ctl::Kind;
using Dlg = MetaDataDlg;

constexpr ctl::Row Label(int id, const char* name, int x, int y, const char* text,
                         unsigned flags = 0) {
    return {
        .kind = Kind::Label, .id = id, .name = name, .x = x, .y = y, .text = text, .flags = flags};
}
// A field takes `limit` characters; without one it is read-only.
constexpr ctl::Row Field(int id, const char* name, int x, int y, int width, int height,
                         const char* text, std::size_t limit, int caption,
                         const char* accessibleName = "", unsigned flags = ctl::kCentred) {
    return {.kind = Kind::TextField,
            .id = id,
            .name = name,
            .x = x,
            .y = y,
            .width = width,
            .height = height,
            .text = text,
            .flags = flags | (limit == 0 ? unsigned{ctl::kReadOnly} : 0u),
            .limit = limit,
            .caption = caption,
            .accessibleName = accessibleName};
}
constexpr ctl::Row Button(int id, const char* name, int x, const char* text) {
    return {.kind = Kind::DialogButton,
            .id = id,
            .name = name,
            .parent = "buttons",
            .x = x,
            .width = 91,
            .height = 25,
            .text = text};
}

// In window order, which is also the tab order. Positions are relative to the parent. A
// label's size comes from its text; the captions of the reference's parts sit centred under
// them. The description has no limit of its own on this toolkit: its text handler holds it to
// the record's width.
// clang-format off
constexpr ctl::Row kControls[] = {
    {.kind = Kind::Panel, .name = "buttonPanel", .key = "buttons", .y = 360, .width = 420,
     .height = 40},
    Label(Dlg::ID_DESC_LABEL, "DescLabel", 12, 8, "Description:"),
    {.kind = Kind::TextField, .id = Dlg::ID_DESC_EDIT, .name = "DescEdit", .x = 9, .y = 28,
     .width = 369, .height = 142, .flags = ctl::kMultiline, .caption = Dlg::ID_DESC_LABEL},
    Label(Dlg::ID_ORIGIN_LABEL, "OriginLabel", 12, 177, "Originator:"),
    Field(Dlg::ID_ORIGIN_EDIT, "OriginEdit", 9, 195, 369, 25, "", kOriginatorWidth,
          Dlg::ID_ORIGIN_LABEL, "", 0),
    Label(Dlg::ID_ORIGIN_REF_LABEL, "OriginRefLabel", 13, 229, "Originator Reference (USID):"),
    Field(Dlg::ID_CC_EDIT, "OriginRefCCEdit", 10, 248, 33, 25, "CC", kCountryCodeWidth,
          Dlg::ID_CC_LABEL, "Country code"),
    Field(Dlg::ID_OOO_EDIT, "OriginRefOOOEdit", 49, 248, 43, 25, "OOO", kOrganisationCodeWidth,
          Dlg::ID_OOO_LABEL, "Organisation code"),
    Field(Dlg::ID_SERIAL_EDIT, "OriginRefSerialEdit", 98, 248, 103, 25, "Vyr_01234567", 0,
          Dlg::ID_SERIAL_LABEL),
    Field(Dlg::ID_TIME_EDIT, "OriginRefTimeEdit", 207, 248, 72, 25, "[Time]", 0, 0,
          "Recording time"),
    Field(Dlg::ID_RANDOM_EDIT, "OriginRefRandomEdit", 286, 248, 91, 25, "[Random]", 0, 0,
          "Random number"),
    Label(Dlg::ID_CC_LABEL, "WxStaticText1", 0, 278, "CC", ctl::kUnderCaptioned),
    Label(Dlg::ID_OOO_LABEL, "WxStaticText2", 0, 278, "OOO", ctl::kUnderCaptioned),
    Label(Dlg::ID_SERIAL_LABEL, "WxStaticText3", 0, 278, "Serial number", ctl::kUnderCaptioned),
    Label(Dlg::ID_CC_LEGEND, "WxStaticText4", 13, 310, "CC:"),
    Label(Dlg::ID_OOO_LEGEND, "WxStaticText5", 13, 330, "OOO:"),
    Label(Dlg::ID_COUNTRY_LEGEND, "WxStaticText6", 55, 310, "Country code"),
    Label(Dlg::ID_ORGANISATION_LEGEND, "WxStaticText7", 55, 330, "Organisation code"),
    Button(Dlg::ID_CANCEL_BTN, "CancelBtn", 190, "Cancel"),
    Button(Dlg::ID_OK_BTN, "OkBtn", 286, "Ok"),
};
// clang-format on

}  // namespace

MetaDataDlg::MetaDataDlg(wxWindow* parent, BwfMetadata& record)
    : TableDialog(parent, ID_DIALOG, kTitle, kDialogSize, wxCAPTION), record_(record) {
    Build(kControls);
    FixSize(kDialogSize);

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
        Tell(kCannotCut);
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
