// The microphone calibration dialog: the sensitivity and the three parametric filters of one
// capsule type, read from the device when the dialog opens for the type, checked and written
// back with Confirm. Created once by the main window, hidden; opened from the Service menu.
// Reads and writes run as jobs on the connection's worker; meanwhile the dialog shows what it
// is doing and takes no edits.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "device/microphone.h"
#include "dialogs/device_dialog.h"

class wxButton;
class wxSizer;
class wxStaticText;

namespace vyr {

class MicSettings : public DeviceDialog {
  public:
    enum Ids {
        ID_DIALOG = 1,
        ID_SENSITIVITY = 1006,
        ID_CONFIRM = 1008,
        ID_F1_FREQ = 1024,
        ID_F1_LEVEL = 1025,
        ID_F1_Q = 1026,
        ID_F2_FREQ = 1027,
        ID_F2_LEVEL = 1028,
        ID_F2_Q = 1029,
        ID_F3_FREQ = 1030,
        ID_F3_LEVEL = 1031,
        ID_F3_Q = 1032,
        ID_F1_ACTIVE = 1034,
        ID_F2_ACTIVE = 1035,
        ID_F3_ACTIVE = 1036,
        ID_CANCEL = 1037,
    };

    // What the dialog is doing.
    enum class State {
        Closed,      // hidden
        Reading,     // the type's values are on their way
        ReadFailed,  // the type's values could not be read: nothing to edit or confirm
        Ready,       // the type's values are shown and may be confirmed
        Writing,     // the values are on their way to the device
    };

    // `parent` is the main window; `device` outlives the dialog. Created hidden.
    MicSettings(wxWindow* parent, DeviceAccess& device);
    ~MicSettings() override;

    // Shows the dialog for the type 0..18 and reads that type's values. While a write is on
    // its way the dialog stays with the type it writes.
    void Open(int type);
    // Showing centres the dialog over the main window; hiding drops a read still on its way.
    bool Show(bool show = true) override;

    State CurrentState() const { return state_; }
    int Type() const { return type_; }
    // The control of a value index (kMicValues' order).
    wxWindow* ValueControl(std::size_t index) const { return controls_[index]; }
    // What a value's control shows, as the device would get it without the line end.
    std::string ShownValue(std::size_t index) const;
    // The line that tells what the dialog is doing or what went wrong.
    wxStaticText* StatusLine() const { return status_; }
    wxButton* ConfirmButton() const { return confirm_; }
    wxButton* CancelButton() const { return cancel_; }

  private:
    void CreateControls();
    wxSizer* Grid() const;
    void LayOut();
    void SetState(State state);
    void SetStatus(const wxString& text);
    void StartRead();
    void ReadFinished(const MicReadResult& result);
    void ClearValues();
    // Checks and reformats the value of `index` as entered; true when it was in range.
    bool CheckValue(std::size_t index, std::string* deviceText = nullptr);
    void OnEnter(wxCommandEvent& event);
    void OnConfirm(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void WriteFinished(const MicWriteResult& result);

    int type_ = 0;
    State state_ = State::Closed;
    std::vector<wxWindow*> cells_;  // the windows of the grid's table, in its order
    std::array<wxWindow*, kMicValueCount> controls_{};
    wxStaticText* status_ = nullptr;
    wxButton* confirm_ = nullptr;
    wxButton* cancel_ = nullptr;
};

}  // namespace vyr
