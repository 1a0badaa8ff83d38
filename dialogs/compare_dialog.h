// The values that differ between the window and a settings file: a list of rows of texts
// (preset, parameter, the file's value, the window's value), the selected row's values in full,
// a count, a Copy button that puts the rows on the clipboard as tab-separated text, and Close.
// Shown modally, made for each use.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "dialogs/table_dialog.h"

class wxButton;
class wxListCtrl;
class wxStaticText;

namespace vyr {

// One differing value, every text as the window shows it (UTF-8).
struct CompareRow {
    std::string preset;
    std::string parameter;
    std::string fileValue;
    std::string windowValue;
};

class CompareDlg : public TableDialog {
  public:
    enum Ids {
        ID_FILE_LINE = 1001,
        ID_NOTE = 1002,
        ID_COUNT = 1003,
        ID_LIST = 1004,
        ID_COPY = 1005,
        ID_CLOSE = 1006,
        ID_FILE_DETAIL = 1007,
        ID_WINDOW_DETAIL = 1008,
    };

    // `fileName` heads the list; `note` (may be empty) is a line below it, such as that the
    // file was repaired while it was read.
    CompareDlg(wxWindow* parent, const wxString& fileName, const wxString& note,
               std::vector<CompareRow> rows);

    const std::vector<CompareRow>& Rows() const { return rows_; }
    wxListCtrl* List() const { return list_; }
    wxStaticText* FileLine() const { return fileLine_; }
    wxStaticText* Note() const { return note_; }
    wxStaticText* Count() const { return count_; }
    // The selected row's two values in full, below the list, where a cell may cut them.
    wxStaticText* FileDetail() const { return fileDetail_; }
    wxStaticText* WindowDetail() const { return windowDetail_; }
    wxButton* CopyButton() const { return copy_; }
    wxButton* CloseButton() const { return close_; }

  private:
    void CreateControls(const wxString& fileName, const wxString& note);
    void FillList(int width);
    void LayOut(std::array<wxWindow*, 2> captions);
    void ShowDetails(long row);
    void OnCopy(wxCommandEvent& event);
    void OnClose(wxCommandEvent& event);

    std::vector<CompareRow> rows_;
    wxStaticText* fileLine_ = nullptr;
    wxStaticText* note_ = nullptr;
    wxStaticText* count_ = nullptr;
    wxListCtrl* list_ = nullptr;
    wxStaticText* fileDetail_ = nullptr;
    wxStaticText* windowDetail_ = nullptr;
    wxButton* copy_ = nullptr;
    wxButton* close_ = nullptr;
};

// The rows as the clipboard receives them: a heading line, then one line per row, the four
// texts separated by tabs. A tab or line break inside a text becomes a space.
std::string CompareRowsText(const std::vector<CompareRow>& rows);

// "1 value differs", "3 values differ".
std::string DifferenceCountText(std::size_t count);

}  // namespace vyr
