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

// Makes a read-only single-line text field look like a plain text on its panel (no box, no
// field background) and keeps the focus away from it, from the mouse and from Tab alike.
void ShowAsValueField(wxWindow* field);

// The width in pixels of the area in which a single-line text field draws its text (its
// width less frame and padding), or -1 when unknown.
int TextAreaWidth(wxWindow* field);

}  // namespace vyr
