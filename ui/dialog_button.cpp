#include "ui/dialog_button.h"

#include <algorithm>

#include "ui/fonts.h"

namespace vyr {

wxButton* MakeDialogButton(wxWindow* parent, int id, const wxString& text, const wxPoint& pos,
                           const wxSize& size, const wxString& name) {
    auto* button =
        new wxButton(parent, id, text, pos, size, wxBU_EXACTFIT, wxDefaultValidator, name);
    button->SetFont(fonts::Ui());
    const wxSize best = button->GetBestSize();
    button->SetSize(std::max(size.x, best.x), std::max(size.y, best.y));
    // Also for a sizer: the size given at creation would otherwise be its smallest.
    button->SetMinSize(button->GetSize());
    return button;
}

}  // namespace vyr
