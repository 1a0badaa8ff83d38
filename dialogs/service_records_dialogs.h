// The three service dialogs over the device's own history: its serial number (SerialNoDlg),
// the service notes (ServiceNotesDlg) and the production test results (TestresultsDlg).
// The main window creates each once, hidden, and opens it from the Service menu. Every
// exchange runs as a job on the connection's worker; while one runs the dialog shows a
// spinner and the buttons that would start another are disabled.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include <wx/dialog.h>

#include "device/service_records.h"
#include "dialogs/device_access.h"

class wxActivityIndicator;
class wxButton;
class wxTextCtrl;

namespace vyr {

// What the three dialogs share: the controls built from a table, the exchanges on the
// worker with their busy state, and the checks of the user level.
class RecordDialog : public wxDialog, public DeviceView {
  public:
    enum class Kind { Label, Field, ReadOnlyField, TextWindow, Button, Activity };

    // One control. A label's width comes from its text; a button grows to its text.
    struct Control {
        Kind kind;
        int id;
        const char* name;
        int x, y, width, height;
        const char* text;
        std::size_t limit;           // characters a field takes; 0: no limit
        int captionId;               // the label naming the control, or 0
        const char* accessibleName;  // its name when no label of its own names it
    };

    // Showing centres the dialog over the main window; hiding drops results still in flight.
    bool Show(bool show = true) override;
    // DeviceView
    void CloseView() override { Hide(); }

    // An exchange of this dialog is queued or running.
    bool Busy() const { return busy_ > 0; }
    wxTextCtrl* Text(int id) const;
    wxButton* Button(int id) const;
    wxActivityIndicator* Spinner() const { return spinner_; }

  protected:
    // `exchangeButtons`: the buttons disabled while an exchange runs.
    RecordDialog(wxWindow* parent, DeviceAccess& device, const char* title, wxSize size,
                 std::span<const Control> controls, std::span<const int> exchangeButtons);

    // Whether the user logged in now may use these dialogs; hides the dialog when not, so
    // that a dialog left open from a higher level cannot act.
    bool Permitted();

    // Runs `work` on the worker, then `done` with its result on the GUI thread, unless the
    // dialog was hidden or its connection ended meanwhile. False when no connection took it.
    template <typename Result>
    bool Exchange(std::function<Result(DeviceConnection&)> work,
                  std::function<void(const Result&)> done);

    // When permitted: shows the dialog with the focus on `focusId`, empties the text window
    // `windowId` and fills it with the lines `read` gets; says so when the device stops
    // answering before the end (`what`: "The service notes").
    void OpenAndRead(int focusId, int windowId, RecordLines (*read)(DeviceConnection&),
                     std::string_view what);

    // A warning message box titled like the dialog.
    void Tell(std::string_view text);

  private:
    void Build(std::span<const Control> controls);
    void SetBusy(int change);
    // Results of exchanges begun before this are dropped; the dialog is idle.
    void Forget();

    DeviceAccess& device_;
    std::string title_;
    std::span<const int> exchangeButtons_;
    wxActivityIndicator* spinner_ = nullptr;
    int busy_ = 0;
    // Counts hides; a result from before the latest one is dropped. Held weakly by the
    // exchanges, which then do nothing once the dialog is gone.
    std::shared_ptr<unsigned> generation_ = std::make_shared<unsigned>(0);
};

// "Device serial number": the number the device holds, and a new one to write.
class SerialNoDlg : public RecordDialog {
  public:
    enum Ids {
        ID_DIALOG = 1,
        ID_DEVICE_SERIAL = 1002,
        ID_NEW_SERIAL = 1003,
        ID_WRITE_SN = 1004,
        ID_CLOSE = 1005,
        ID_DEVICE_SERIAL_LABEL = 1006,
        ID_NEW_SERIAL_LABEL = 1007,
    };

    SerialNoDlg(wxWindow* parent, DeviceAccess& device);

    // The menu command: reads the serial number into both fields and shows the dialog.
    void Open();

  private:
    void OnWrite(wxCommandEvent& event);
    void OnClose(wxCommandEvent& event);
};

// "Service notes": the notes the device keeps, and a new, dated one to append.
class ServiceNotesDlg : public RecordDialog {
  public:
    enum Ids {
        ID_DIALOG = 1,
        ID_NOTES_WINDOW = 1001,
        ID_NEW_NOTE = 1002,
        ID_CLOSE = 1003,
        ID_ADD_NOTE = 1004,
    };

    ServiceNotesDlg(wxWindow* parent, DeviceAccess& device);

    // The menu command: shows the dialog and reads the notes.
    void Open();

  private:
    void OnAdd(wxCommandEvent& event);
};

// "Production test results": the device's test results, read-only.
class TestresultsDlg : public RecordDialog {
  public:
    enum Ids {
        ID_DIALOG = 1,
        ID_RESULT_WINDOW = 1001,
        ID_CLOSE = 1002,
    };

    TestresultsDlg(wxWindow* parent, DeviceAccess& device);

    // The menu command: shows the dialog and reads the results.
    void Open();
};

}  // namespace vyr
