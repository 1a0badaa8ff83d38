// A compact look for the GTK controls, so that they fit the absolute layout of our windows.
#pragma once

class wxWindow;

namespace vyr {

// Gives `topLevel` and everything inside it trimmed paddings and minimum heights. Does nothing
// on other toolkits.
void UseCompactStyle(wxWindow* topLevel);

// Shows only the box of a check box that is narrower than its text; the text stays the
// control's label. Does nothing on other toolkits.
void ShowBoxOnly(wxWindow* checkBox);

}  // namespace vyr
