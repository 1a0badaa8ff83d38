// Small helpers the window and dialog tests share.
#pragma once

#include <string>

#include <wx/app.h>
#include <wx/utils.h>
#include <wx/window.h>

namespace vyr::test {

// Lets the toolkit map, lay out and draw the windows.
inline void Settle() {
    for (int i = 0; i < 10; ++i) {
        wxYield();
        wxMilliSleep(20);
    }
}

// A place and size, for failure messages.
inline std::string Where(const wxRect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

// A window's name, id and place, for failure messages.
inline std::string Where(wxWindow* w) {
    return std::string(w->GetName().utf8_str()) + " id " + std::to_string(w->GetId()) + " at " +
           Where(w->GetRect());
}

}  // namespace vyr::test
