#include "metadata_command.h"

#include <atomic>
#include <memory>
#include <string>

#include "dialogs/metadata_dialog.h"
#include "device/service_records.h"
#include "main_frame.h"
#include "session_controller.h"
#include "settings/bwf_metadata.h"
#include "unsaved_changes.h"

namespace vyr {
namespace {

// Set while a serial-number read for the dialog is queued or its dialog is open. The job is
// destroyed on the worker thread when the window goes first.
std::atomic<bool> opening = false;

struct Opening {
    Opening() { opening = true; }
    ~Opening() { opening = false; }
    Opening(const Opening&) = delete;
    Opening& operator=(const Opening&) = delete;
};

void ShowEditor(AdminSWFrm& frame, const std::string& serialNumber) {
    const int preset = frame.EditedPreset();
    BwfMetadata record = ReadBwfMetadata(frame.Store(), preset);
    record.serialNumber = serialNumber;
    MetaDataDlg dialog(&frame, record);
    // The dialog accepts only a description that can be stored.
    if (dialog.ShowModal() == wxID_OK) {
        StoreBwfMetadata(frame.Store(), preset, record);
        frame.Unsaved().Refresh();
    }
}

}  // namespace

void OpenMetadataEditor(AdminSWFrm& frame) {
    if (opening)
        return;
    auto guard = std::make_shared<Opening>();
    const bool queued = frame.Connection().RunJob(
        [&frame, guard](DeviceConnection& connection, Progress&) -> DeviceAccess::GuiStep {
            const std::string serialNumber = SerialNumberPart(ReadSerialNumberOnce(connection));
            return [&frame, guard, serialNumber] { ShowEditor(frame, serialNumber); };
        });
    if (!queued)
        ShowEditor(frame, std::string(kNoSerial));
}

}  // namespace vyr
