// What an operation shows a person, and the window state it reads and sets. The window
// implements it with message boxes and controls; vyrctl with stderr and its options.
#pragma once

#include <string_view>

namespace vyr {

class GuardLog;

enum class MessageIcon { Warning, Error };

struct StatusMessage {
    std::string_view title;
    std::string_view text;
    MessageIcon icon;
};

class OperationUi {
  public:
    virtual ~OperationUi() = default;

    // The busy indicator around a transfer ("Busy" on the connection button, disabled).
    virtual void BeginBusy() {}
    virtual void EndBusy() {}
    // How far a transfer is: `done` of `total` exchanges.
    virtual void Progress(int /*done*/, int /*total*/) {}

    // A modal message with an OK button.
    virtual void ShowMessage(const StatusMessage& message) = 0;
    // A Yes/No question with No as default and a warning icon; true only for Yes.
    virtual bool Confirm(std::string_view title, std::string_view text) = 0;
    // The repair report of a load; called only when it is not empty.
    virtual void ShowGuard(const GuardLog& /*guard*/) {}

    // The preset the device should use (selection of the active-preset choice).
    virtual int ActivePreset() const = 0;
    virtual void SetActivePreset(int preset) = 0;
    // The preset the window shows and edits.
    virtual int EditedPreset() const = 0;
    // Makes `preset` the edited one and shows it.
    virtual void SelectEditedPreset(int preset) = 0;
    // Shows the edited preset's values again (after a load).
    virtual void ShowEditedPreset() {}
    virtual void RefreshEnabling() {}
};

}  // namespace vyr
