// A dialog of fixed size whose controls come from a control table: the compact style, the UI
// font, an outer panel named "panel" filling the client area, and messages titled like the
// dialog.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <wx/dialog.h>

#include "ui/control_table.h"

namespace vyr {

class TableDialog : public wxDialog {
  protected:
    // Created hidden, `size` large, with its outer panel.
    TableDialog(wxWindow* parent, int id, std::string_view title, wxSize size, long style);

    // Creates `rows`; those without a parent go on the outer panel. Returns their
    // windows in order.
    std::vector<wxWindow*> Build(std::span<const ctl::Row> rows);
    ctl::Table& Controls() { return table_; }
    wxWindow* Panel() const { return panel_; }

    // Fixes the dialog at the outer size `size`. Where the window manager's frame or the
    // faces in use leave less client room than `needed`, the dialog grows instead of cutting
    // its controls off.
    void FixSize(wxSize size, wxSize needed);
    void FixSize(wxSize size) { FixSize(size, size); }

    // A warning message box titled like the dialog.
    void Tell(std::string_view text);

  private:
    std::string title_;
    wxWindow* panel_;
    ctl::Table table_;
};

}  // namespace vyr
