#include "compare_dialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include "ui/dialog_button.h"
#include "ui/dialog_size.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "Compare with settings file";
const wxSize kDialogSize(680, 450);
constexpr int kMargin = 10;
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
    std::replace_if(text.begin(), text.end(),
                    [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
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
        text += Flat(row.preset) + '\t' + Flat(row.parameter) + '\t' + Flat(row.fileValue) +
                '\t' + Flat(row.windowValue);
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
    auto* panel =
        new wxPanel(this, wxID_ANY, wxPoint(0, 0), kDialogSize, wxTAB_TRAVERSAL, "panel");
    panel->SetFont(fonts::Ui());
    const int width = kDialogSize.x - 2 * kMargin;

    // A long path is shortened in its middle, so that the file's own name stays in view.
    const auto line = [&](int id, const wxString& text, int y, long style, const char* name) {
        auto* label = new wxStaticText(panel, id, text, wxPoint(kMargin, y),
                                       wxSize(width, kLineHeight),
                                       wxST_NO_AUTORESIZE | style, name);
        label->SetFont(fonts::Ui());
        return label;
    };
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
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c)
        list_->InsertColumn(c, kColumns[c].heading, wxLIST_FORMAT_LEFT, kColumns[c].width);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const CompareRow& row = rows_[r];
        const long item = list_->InsertItem(static_cast<long>(r), Wx(row.preset));
        list_->SetItem(item, 1, Wx(row.parameter));
        list_->SetItem(item, 2, Wx(row.fileValue));
        list_->SetItem(item, 3, Wx(row.windowValue));
    }

    const int buttonTop = kListTop + kListHeight + kMargin;
    copy_ = MakeDialogButton(panel, ID_COPY, "Copy", wxPoint(kMargin, buttonTop), kButtonSize,
                             "CopyButton");
    close_ = MakeDialogButton(panel, ID_CLOSE, "Close", wxPoint(0, buttonTop), kButtonSize,
                              "CloseButton");
    close_->Move(kMargin + width - close_->GetSize().x, buttonTop);
    close_->SetDefault();

    const int bottom = buttonTop + std::max(copy_->GetSize().y, close_->GetSize().y) + kMargin;
    FixDialogSize(*this, *panel, kDialogSize, wxSize(kDialogSize.x, bottom));
}

void CompareDlg::OnCopy(wxCommandEvent&) {
    if (!wxTheClipboard->Open())
        return;
    wxTheClipboard->SetData(new wxTextDataObject(Wx(CompareRowsText(rows_))));
    wxTheClipboard->Close();
}

void CompareDlg::OnClose(wxCommandEvent&) {
    EndModal(ID_CLOSE);
}

}  // namespace vyr
