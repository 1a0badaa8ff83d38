// The three service dialogs over the device's own history: its serial number (SerialNoDlg),
// the service notes (ServiceNotesDlg) and the production test results (TestresultsDlg).
// The main window creates each once, hidden, and opens it from the Service menu. Every
// exchange runs as a job on the connection's worker; while one runs the dialog shows a
// spinner and the buttons that would start another are disabled.
#pragma once

#include <span>
#include <string_view>

#include "device/service_records.h"
#include "dialogs/device_dialog.h"

class wxActivityIndicator;
class wxButton;
class wxTextCtrl;

namespace vyr {

// What the three dialogs share: the spinner and the buttons disabled while an exchange
// runs, reading a record into a text window, and the level they need.
class RecordDialog : public DeviceDialog {
  public:
    wxTextCtrl* Text(int id) const;
    wxButton* Button(int id) const;
    wxActivityIndicator* Spinner() const { return spinner_; }

  protected:
    // Serial number, service notes and production test results.
    static constexpr LevelRule kFactoryService = &UserLevel::MayUseFactoryService;

    // `exchangeButtons`: the buttons disabled while an exchange runs.
    RecordDialog(wxWindow* parent, DeviceAccess& device, const char* title, wxSize size,
                 std::span<const ctl::Row> controls, std::span<const int> exchangeButtons);

    // When permitted: shows the dialog with the focus on `focusId`, empties the text window
    // `windowId` and fills it with the lines `read` gets; says so when the device stops
    // answering before the end (`what`: "The service notes").
    void OpenAndRead(int focusId, int windowId, RecordLines (*read)(DeviceConnection&),
                     std::string_view what);

  private:
    void ShowBusy(bool busy) override;

    std::span<const int> exchangeButtons_;
    wxActivityIndicator* spinner_ = nullptr;
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
