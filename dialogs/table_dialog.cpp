#include "dialogs/table_dialog.h"

#include <wx/panel.h>

#include "ui/dialog_size.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

// The compact style and the font come first, so that every control is made with them.
wxWindow* OuterPanel(wxDialog* dialog, wxSize size) {
    UseCompactStyle(dialog);
    dialog->SetFont(fonts::Ui());
    auto* panel = new wxPanel(dialog, wxID_ANY, wxPoint(0, 0), size, wxTAB_TRAVERSAL, "panel");
    panel->SetFont(fonts::Ui());
    return panel;
}

}  // namespace

TableDialog::TableDialog(wxWindow* parent, int id, std::string_view title, wxSize size, long style)
    : wxDialog(parent, id, Wx(title), wxDefaultPosition, size, style),
      title_(title),
      panel_(OuterPanel(this, size)),
      table_(panel_) {}

std::vector<wxWindow*> TableDialog::Build(std::span<const ctl::Row> rows) {
    return table_.Build(rows);
}

void TableDialog::FixSize(wxSize size, wxSize needed) {
    FixDialogSize(*this, *panel_, size, needed);
}

void TableDialog::Tell(std::string_view text) {
    ShowStatusMessage(this, {title_, text, MessageIcon::Warning});
}

}  // namespace vyr
