// A message an operation's outcome is shown with: the window as a message box with an OK
// button, vyrctl as a line on stderr.
#pragma once

#include <string_view>

namespace vyr {

enum class MessageIcon { Warning, Error };

struct StatusMessage {
    std::string_view title;
    std::string_view text;
    MessageIcon icon;
};

}  // namespace vyr
