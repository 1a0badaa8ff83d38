// Texts wider than the places the layout gives them.
#pragma once

class wxWindow;

namespace vyr {

// Widens every check box, radio button and label below `root` whose text needs more room
// than its place gives, into the free room to its right: up to the nearest sibling beside it
// or the edge of its parent, never over either. The layout's places are measured for one
// face; where the system shows another of other widths (a stand-in for a missing font), the
// ends of texts would otherwise be cut off.
void FitTextsToRoom(wxWindow* root);

}  // namespace vyr
