#include "compare_dialog.h"

#include <algorithm>
#include <array>
#include <tuple>

#include <vector>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "settings/catalogue.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "Compare with settings file";
const wxSize kDialogSize(680, 490);
constexpr int kMargin = 10;
constexpr int kGap = 6;
constexpr int kLineHeight = 18;
constexpr int kListTop = 74;
constexpr int kListHeight = 320;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;

struct Column {
    const char* heading;
    int width;
};
// The widths add up to the list's width less room for its scroll bar. A longer text is cut
// with an ellipsis in its cell; a column can be widened by dragging, and Copy has it whole.
constexpr Column kColumns[] = {
    {"Preset", 80}, {"Parameter", 240}, {"File value", 155}, {"Window value", 155}};

std::string Flat(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

using ctl::Kind;

// The captions of the selected row's values below the list.
constexpr const char* kDetailCaptions[] = {"File value:", "Window value:"};

// In window order: the file, the note and the count above the list, the selected row's values
// below it, then Copy and Close. `width` is the list's, the values' column `valueWidth` wide.
std::vector<ctl::Row> ControlRows(int width, int captionWidth, int valueWidth) {
    const auto line = [](int id, const char* name, int w, unsigned flags) {
        return ctl::Row{.kind = Kind::Label,
                        .id = id,
                        .name = name,
                        .width = w,
                        .height = kLineHeight,
                        .flags = ctl::kNoAutoResize | flags};
    };
    // A long path is shortened in its middle, so that the file's own name stays in view.
    std::vector<ctl::Row> rows = {
        line(CompareDlg::ID_FILE_LINE, "FileLine", width, ctl::kEllipsizeMiddle),
        line(CompareDlg::ID_NOTE, "Note", width, ctl::kEllipsizeEnd),
        line(CompareDlg::ID_COUNT, "Count", width, ctl::kEllipsizeEnd),
        {.kind = Kind::ReportList,
         .id = CompareDlg::ID_LIST,
         .name = "DifferenceList",
         .width = width,
         .height = kListHeight},
    };
    for (const char* caption : kDetailCaptions) {
        rows.push_back(line(wxID_ANY, "", captionWidth, 0));
        rows.back().text = caption;
    }
    rows.push_back(line(CompareDlg::ID_FILE_DETAIL, "FileDetail", valueWidth, ctl::kEllipsizeEnd));
    rows.push_back(
        line(CompareDlg::ID_WINDOW_DETAIL, "WindowDetail", valueWidth, ctl::kEllipsizeEnd));
    for (const auto& [id, name, text] : {std::tuple{CompareDlg::ID_COPY, "CopyButton", "Copy"},
                                         std::tuple{CompareDlg::ID_CLOSE, "CloseButton", "Close"}})
        rows.push_back({.kind = Kind::DialogButton,
                        .id = id,
                        .name = name,
                        .width = kButtonWidth,
                        .height = kButtonHeight,
                        .text = text});
    return rows;
}

}  // namespace

std::string DifferenceCountText(std::size_t count) {
    return count == 1 ? "1 value differs" : std::to_string(count) + " values differ";
}

std::string CompareRowsText(const std::vector<CompareRow>& rows) {
    std::string text;
    for (const Column& column : kColumns) {
        if (!text.empty())
            text += '\t';
        text += column.heading;
    }
    for (const CompareRow& row : rows) {
        text += '\n';
        text += Flat(row.preset) + '\t' + Flat(row.parameter) + '\t' + Flat(row.fileValue) + '\t' +
                Flat(row.windowValue);
    }
    return text;
}

CompareDlg::CompareDlg(wxWindow* parent, const wxString& fileName, const wxString& note,
                       std::vector<CompareRow> rows)
    : TableDialog(parent, wxID_ANY, kTitle, kDialogSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      rows_(std::move(rows)) {
    CreateControls(fileName, note);
    // Close, Escape and the close box end the dialog.
    SetEscapeId(ID_CLOSE);
    Bind(wxEVT_BUTTON, &CompareDlg::OnCopy, this, ID_COPY);
    Bind(wxEVT_BUTTON, &CompareDlg::OnClose, this, ID_CLOSE);
}

void CompareDlg::CreateControls(const wxString& fileName, const wxString& note) {
    // Below the list the chosen row's values stand in full: the dialog is as wide as the
    // longest value a setting can hold, in its widest letters, needs.
    int captionWidth = 0;
    for (const char* caption : kDetailCaptions)
        captionWidth = std::max(captionWidth, Panel()->GetTextExtent(caption).x);
    const int valueLeft = kMargin + captionWidth + kGap;
    const int valueWidth = Panel()->GetTextExtent(wxString('W', kMaxValueLength)).x + kGap;
    const int width = std::max(kDialogSize.x - 2 * kMargin, valueLeft + valueWidth - kMargin);
    const std::vector<wxWindow*> windows = Build(ControlRows(width, captionWidth, valueWidth));
    const auto label = [this](int id) { return static_cast<wxStaticText*>(FindWindow(id)); };
    fileLine_ = label(ID_FILE_LINE);
    note_ = label(ID_NOTE);
    count_ = label(ID_COUNT);
    fileDetail_ = label(ID_FILE_DETAIL);
    windowDetail_ = label(ID_WINDOW_DETAIL);
    list_ = static_cast<wxListCtrl*>(FindWindow(ID_LIST));
    copy_ = static_cast<wxButton*>(FindWindow(ID_COPY));
    close_ = static_cast<wxButton*>(FindWindow(ID_CLOSE));
    // As given: an ampersand in a file name is no mnemonic.
    fileLine_->SetLabelText("Settings file: " + fileName);
    note_->SetLabelText(note);
    note_->Show(!note.empty());
    count_->SetLabelText(Wx(DifferenceCountText(rows_.size())));
    FillList(width);
    close_->SetDefault();
    LayOut({windows[4], windows[5]});
}

void CompareDlg::FillList(int width) {
    // Room beyond the narrowest width goes to the two value columns.
    const int extra = (width - (kDialogSize.x - 2 * kMargin)) / 2;
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
        list_->InsertColumn(c, kColumns[c].heading, wxLIST_FORMAT_LEFT,
                            kColumns[c].width + (c >= 2 ? extra : 0));
    }
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const CompareRow& row = rows_[r];
        const long item = list_->InsertItem(static_cast<long>(r), Wx(row.preset));
        list_->SetItem(item, 1, Wx(row.parameter));
        list_->SetItem(item, 2, Wx(row.fileValue));
        list_->SetItem(item, 3, Wx(row.windowValue));
    }
    list_->Bind(wxEVT_LIST_ITEM_SELECTED,
                [this](wxListEvent& event) { ShowDetails(event.GetIndex()); });
    if (!rows_.empty()) {
        list_->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                            wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        ShowDetails(0);
    }
}

// One column: the three lines, the list, the selected row's values beside their captions,
// then Copy at the left and Close at the right. The note keeps its line when it is hidden.
void CompareDlg::LayOut(std::array<wxWindow*, 2> captions) {
    auto* details = new wxFlexGridSizer(2, 0, kGap);
    details->Add(captions[0]);
    details->Add(fileDetail_);
    details->Add(captions[1]);
    details->Add(windowDetail_);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(copy_);
    buttons->AddStretchSpacer();
    buttons->Add(close_);

    auto* column = new wxBoxSizer(wxVERTICAL);
    for (wxWindow* line : {fileLine_, note_, count_})
        column->Add(line, 0, wxRESERVE_SPACE_EVEN_IF_HIDDEN);
    column->AddSpacer(kListTop - kMargin - 3 * kLineHeight);
    column->Add(list_);
    column->AddSpacer(kGap);
    column->Add(details);
    column->AddSpacer(kGap);
    column->Add(buttons, 0, wxEXPAND);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(column, 0, wxALL, kMargin);
    Panel()->SetSizer(outer);
    const wxSize needed = outer->GetMinSize();
    FixSize(wxSize(needed.x, kDialogSize.y), needed);
    Panel()->Layout();
}

void CompareDlg::ShowDetails(long row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return;
    // Label texts: an ampersand is shown as itself.
    fileDetail_->SetLabelText(Wx(rows_[row].fileValue));
    windowDetail_->SetLabelText(Wx(rows_[row].windowValue));
}

void CompareDlg::OnCopy(wxCommandEvent&) {
    const bool copied = wxTheClipboard->Open() &&
                        wxTheClipboard->SetData(new wxTextDataObject(Wx(CompareRowsText(rows_))));
    if (wxTheClipboard->IsOpened())
        wxTheClipboard->Close();
    if (!copied)
        Tell("The list could not be put on the clipboard.");
}

void CompareDlg::OnClose(wxCommandEvent&) {
    if (IsModal())
        EndModal(ID_CLOSE);
    else
        Hide();
}

}  // namespace vyr
