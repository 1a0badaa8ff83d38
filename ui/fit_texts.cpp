#include "ui/fit_texts.h"

#include <algorithm>

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/window.h>

namespace vyr {
namespace {

bool IsText(const wxWindow* window) {
    return wxDynamicCast(window, wxCheckBox) != nullptr ||
           wxDynamicCast(window, wxRadioButton) != nullptr ||
           wxDynamicCast(window, wxStaticText) != nullptr;
}

// The right edge `text` may grow to: its parent's inner edge, or the left edge of the nearest
// sibling that starts to its right on the same rows.
int RoomEnd(const wxWindow* text) {
    const wxRect place = text->GetRect();
    int end = text->GetParent()->GetClientSize().x;
    for (const wxWindow* sibling : text->GetParent()->GetChildren()) {
        if (sibling == text || sibling->IsTopLevel())
            continue;
        const wxRect other = sibling->GetRect();
        const bool sameRows = other.GetTop() < place.GetBottom() && place.GetTop() < other.GetBottom();
        if (sameRows && other.GetLeft() >= place.GetRight())
            end = std::min(end, other.GetLeft());
    }
    return end;
}

}  // namespace

void FitTextsToRoom(wxWindow* root) {
    for (wxWindow* child : root->GetChildren()) {
        if (child->IsTopLevel())
            continue;  // a dialog is fitted on its own
        FitTextsToRoom(child);
        if (!IsText(child))
            continue;
        const wxRect place = child->GetRect();
        const int needed = child->GetBestSize().x;
        if (needed <= place.width)
            continue;
        const int width = std::min(needed, RoomEnd(child) - 2 - place.x);
        if (width > place.width)
            child->SetSize(place.x, place.y, width, place.height);
    }
}

}  // namespace vyr
