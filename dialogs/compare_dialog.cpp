#include "compare_dialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include "settings/catalogue.h"
#include "ui/dialog_button.h"
#include "ui/dialog_size.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
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
const wxSize kButtonSize(90, 25);

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
    : wxDialog(parent, wxID_ANY, kTitle, wxDefaultPosition, kDialogSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      rows_(std::move(rows)) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    Build(fileName, note);
    // Close, Escape and the close box end the dialog.
    SetEscapeId(ID_CLOSE);
    Bind(wxEVT_BUTTON, &CompareDlg::OnCopy, this, ID_COPY);
    Bind(wxEVT_BUTTON, &CompareDlg::OnClose, this, ID_CLOSE);
}

void CompareDlg::Build(const wxString& fileName, const wxString& note) {
    auto* panel = new wxPanel(this, wxID_ANY, wxPoint(0, 0), kDialogSize, wxTAB_TRAVERSAL, "panel");
    panel->SetFont(fonts::Ui());

    // Below the list the chosen row's values stand in full: the dialog is as wide as the
    // longest value a setting can hold, in its widest letters, needs.
    const wxString captions[] = {"File value:", "Window value:"};
    int captionWidth = 0;
    for (const wxString& caption : captions)
        captionWidth = std::max(captionWidth, panel->GetTextExtent(caption).x);
    const int valueLeft = kMargin + captionWidth + kGap;
    const int valueWidth = panel->GetTextExtent(wxString('W', kMaxValueLength)).x + kGap;
    const int width = std::max(kDialogSize.x - 2 * kMargin, valueLeft + valueWidth - kMargin);

    const auto label = [&](int id, const wxString& text, int x, int y, int w, long style,
                           const char* name) {
        auto* line = new wxStaticText(panel, id, "", wxPoint(x, y), wxSize(w, kLineHeight),
                                      wxST_NO_AUTORESIZE | style, name);
        line->SetFont(fonts::Ui());
        // As given: an ampersand in a file name is no mnemonic.
        line->SetLabelText(text);
        return line;
    };
    const auto line = [&](int id, const wxString& text, int y, long style, const char* name) {
        return label(id, text, kMargin, y, width, style, name);
    };
    // A long path is shortened in its middle, so that the file's own name stays in view.
    fileLine_ = line(ID_FILE_LINE, "Settings file: " + fileName, kMargin, wxST_ELLIPSIZE_MIDDLE,
                     "FileLine");
    note_ = line(ID_NOTE, note, kMargin + kLineHeight, wxST_ELLIPSIZE_END, "Note");
    note_->Show(!note.empty());
    count_ = line(ID_COUNT, Wx(DifferenceCountText(rows_.size())), kMargin + 2 * kLineHeight,
                  wxST_ELLIPSIZE_END, "Count");

    list_ = new wxListCtrl(panel, ID_LIST, wxPoint(kMargin, kListTop), wxSize(width, kListHeight),
                           wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN, wxDefaultValidator,
                           "DifferenceList");
    list_->SetFont(fonts::Ui());
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

    const int detailTop = kListTop + kListHeight + kGap;
    for (int i = 0; i < 2; ++i)
        label(wxID_ANY, captions[i], kMargin, detailTop + i * kLineHeight, captionWidth, 0, "");
    fileDetail_ = label(ID_FILE_DETAIL, "", valueLeft, detailTop, valueWidth, wxST_ELLIPSIZE_END,
                        "FileDetail");
    windowDetail_ = label(ID_WINDOW_DETAIL, "", valueLeft, detailTop + kLineHeight, valueWidth,
                          wxST_ELLIPSIZE_END, "WindowDetail");
    list_->Bind(wxEVT_LIST_ITEM_SELECTED,
                [this](wxListEvent& event) { ShowDetails(event.GetIndex()); });
    if (!rows_.empty()) {
        list_->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                            wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        ShowDetails(0);
    }

    const int buttonTop = detailTop + 2 * kLineHeight + kGap;
    copy_ = MakeDialogButton(panel, ID_COPY, "Copy", wxPoint(kMargin, buttonTop), kButtonSize,
                             "CopyButton");
    close_ = MakeDialogButton(panel, ID_CLOSE, "Close", wxPoint(0, buttonTop), kButtonSize,
                              "CloseButton");
    close_->Move(kMargin + width - close_->GetSize().x, buttonTop);
    close_->SetDefault();

    const int bottom = buttonTop + std::max(copy_->GetSize().y, close_->GetSize().y) + kMargin;
    const wxSize needed(width + 2 * kMargin, bottom);
    FixDialogSize(*this, *panel, wxSize(needed.x, kDialogSize.y), needed);
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
        wxMessageBox("The list could not be put on the clipboard.", kTitle, wxOK | wxICON_WARNING,
                     this);
}

void CompareDlg::OnClose(wxCommandEvent&) {
    if (IsModal())
        EndModal(ID_CLOSE);
    else
        Hide();
}

}  // namespace vyr
