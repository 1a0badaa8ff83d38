// Pictures of windows for the screenshot runs (VYR_SCREENSHOT_DIR): the pixels the display
// server shows, read back with ImageMagick's import, and beside each picture a text listing
// every window inside with its class, name, label, place, size and state, so that two runs
// can be compared exactly with diff.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <wx/control.h>
#include <wx/window.h>

#include "gui_support.h"

namespace vyr::test {

// The folder the screenshot runs write into, or nullptr when not set.
inline const char* ScreenshotFolder() {
    const char* folder = std::getenv("VYR_SCREENSHOT_DIR");
    return folder == nullptr || *folder == '\0' ? nullptr : folder;
}

inline void WriteGeometry(wxWindow& window, std::ostream& out, int depth) {
    const wxRect r = window.GetRect();
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ')
        << wxString(window.GetClassInfo()->GetClassName()).utf8_string() << " '" << window.GetName().utf8_string()
        << "' '";
    if (auto* control = dynamic_cast<wxControl*>(&window))
        out << control->GetLabel().utf8_string();
    out << "' " << r.x << "," << r.y << " " << r.width << "x" << r.height
        << (window.IsShown() ? "" : " hidden") << (window.IsEnabled() ? "" : " disabled") << '\n';
    for (wxWindow* child : window.GetChildren())
        WriteGeometry(*child, out, depth + 1);
}

// Writes `folder`/`file` (a .png name) and the window list beside it (`file` with ".txt").
inline void CaptureWindow(wxWindow& window, const std::string& folder, const std::string& file) {
    window.Raise();
    window.Refresh();
    window.Update();
    Settle();
    const wxPoint at = window.GetScreenPosition();
    const wxSize size = window.GetSize();
    const std::string path = folder + "/" + file;
    const std::string command = "import -window root -crop " + std::to_string(size.x) + "x" +
                                std::to_string(size.y) + "+" + std::to_string(at.x) + "+" +
                                std::to_string(at.y) + " +repage '" + path + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ofstream geometry(path.substr(0, path.rfind('.')) + ".txt");
    WriteGeometry(window, geometry, 0);
}

}  // namespace vyr::test
