// Our texts are UTF-8 in std::string / std::string_view; the toolkit wants wxString.
#pragma once

#include <string_view>

#include <wx/string.h>

namespace vyr {

inline wxString Wx(std::string_view utf8) {
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

}  // namespace vyr
