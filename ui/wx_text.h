// Our texts are UTF-8 in std::string / std::string_view; the toolkit wants wxString.
#pragma once

#include <string>
#include <string_view>

#include <wx/string.h>

namespace vyr {

inline wxString Wx(std::string_view utf8) {
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

// File paths between the toolkit and our file functions, which take them in the file
// system's own encoding (on Windows, whose names are UTF-16, as UTF-8). A Linux path that is
// not in the file system's encoding shows byte by byte.
inline std::string PathFromWx(const wxString& path) {
#ifdef __WXMSW__
    return path.utf8_string();
#else
    const wxCharBuffer buffer = path.fn_str();
    return buffer.data() ? std::string(buffer.data()) : std::string();
#endif
}

inline wxString WxPath(const std::string& path) {
#ifdef __WXMSW__
    return Wx(path);
#else
    wxString shown(path.c_str(), *wxConvFileName);
    return shown.empty() && !path.empty() ? wxString::From8BitData(path.c_str()) : shown;
#endif
}

}  // namespace vyr
