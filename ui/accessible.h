// The names under which assistive technology (screen readers, the accessibility bus) knows a
// control. A control whose caption is a separate label has no name of its own until it is
// given one here.
#pragma once

#include <wx/string.h>

class wxWindow;

namespace vyr {

// Gives `control` the accessible name `name`. With a `label`, also records that the label
// labels the control (and the reverse), as screen readers expect of a caption. Does nothing
// on other toolkits.
void SetAccessibleName(wxWindow* control, const wxString& name, wxWindow* label = nullptr);

// The accessible name of `control` as assistive technology reads it; empty when it has none.
wxString AccessibleName(wxWindow* control);

// Whether `label` is recorded as labelling `control`.
bool IsLabelledBy(wxWindow* control, wxWindow* label);

}  // namespace vyr
