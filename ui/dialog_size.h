// The fixed size of a dialog laid out at absolute positions.
#pragma once

#include <wx/gdicmn.h>

class wxDialog;
class wxWindow;

namespace vyr {

// Gives `dialog` the outer size `size` and fixes it there. Where the window manager's frame or
// the faces in use leave less client room than `needed`, the dialog grows instead of cutting
// its controls off. `panel`, the dialog's outer panel, then fills the client area.
void FixDialogSize(wxDialog& dialog, wxWindow& panel, const wxSize& size, const wxSize& needed);

}  // namespace vyr
