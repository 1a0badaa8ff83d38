// The "BWF Metadata" button: the metadata dialog for the edited preset.
#pragma once

namespace vyr {

class AdminSWFrm;

// Reads the device's serial number (one attempt; "noserial" when it does not answer or no
// device is connected), then shows the metadata dialog modally over `frame` for the edited
// preset and, on OK, stores what it holds into that preset. A click while the serial number
// is still being read does nothing.
void OpenMetadataEditor(AdminSWFrm& frame);

}  // namespace vyr
