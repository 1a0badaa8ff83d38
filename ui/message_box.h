// How the window and its dialogs show an operation's outcome: the message boxes.
#pragma once

#include <string_view>

#include "settings/status_message.h"

class wxWindow;

namespace vyr {

// A modal message with an OK button and the message's icon.
void ShowStatusMessage(wxWindow* parent, const StatusMessage& message);

// A modal Yes/No question with No as default and a warning icon; true only for Yes.
bool AskYesNo(wxWindow* parent, std::string_view title, std::string_view text);

}  // namespace vyr
