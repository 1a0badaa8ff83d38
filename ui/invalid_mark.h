// The mark of a text field whose entry was refused: a pale red background until it is
// cleared.
#pragma once

#include <wx/gdicmn.h>

class wxWindow;

namespace vyr {

// Gives `field` the colour of a refused entry.
void MarkInvalid(wxWindow* field);
// Gives `field` the background `colour` (the toolkit's own by default), marked or not.
void ShowValid(wxWindow* field, const wxColour& colour = wxNullColour);
// Takes the mark from `field` when it has one.
void ClearInvalidMark(wxWindow* field);
bool IsMarkedInvalid(const wxWindow* field);

}  // namespace vyr
