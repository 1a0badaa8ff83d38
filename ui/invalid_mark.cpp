#include "ui/invalid_mark.h"

#include <wx/window.h>

namespace vyr {
namespace {

const wxColour& InvalidColour() {
    static const wxColour colour(255, 200, 200);
    return colour;
}

}  // namespace

void MarkInvalid(wxWindow* field) {
    field->SetBackgroundColour(InvalidColour());
    field->Refresh();
}

void ShowValid(wxWindow* field, const wxColour& colour) {
    field->SetBackgroundColour(colour);
    field->Refresh();
}

void ClearInvalidMark(wxWindow* field) {
    if (IsMarkedInvalid(field))
        ShowValid(field);
}

bool IsMarkedInvalid(const wxWindow* field) {
    return field->GetBackgroundColour() == InvalidColour();
}

}  // namespace vyr
