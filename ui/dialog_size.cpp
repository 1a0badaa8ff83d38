#include "ui/dialog_size.h"

#include <algorithm>

#include <wx/dialog.h>

namespace vyr {

void FixDialogSize(wxDialog& dialog, wxWindow& panel, const wxSize& size, const wxSize& needed) {
    dialog.SetSize(size);
    const wxSize client = dialog.GetClientSize();
    if (client.x < needed.x || client.y < needed.y)
        dialog.SetClientSize(wxSize(std::max(client.x, needed.x), std::max(client.y, needed.y)));
    dialog.SetSizeHints(dialog.GetSize(), dialog.GetSize());
    panel.SetSize(dialog.GetClientSize());
}

}  // namespace vyr
