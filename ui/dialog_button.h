// A push button of a dialog built from a control table.
#pragma once

#include <wx/button.h>

namespace vyr {

// Fitted to its text (the toolkit's standard button is wider than ours), in the shared UI
// font, and never smaller than `size` nor than its text needs.
wxButton* MakeDialogButton(wxWindow* parent, int id, const wxString& text, const wxPoint& pos,
                           const wxSize& size, const wxString& name);

}  // namespace vyr
