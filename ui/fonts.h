// The six fonts shared by every window of the program. Each is created on first use and kept
// for the life of the program.
#pragma once

class wxFont;

namespace vyr::fonts {

const wxFont& Ui();       // every control of the main window and the dialogs
const wxFont& Fixed();    // fixed-width texts of the device information
const wxFont& BoldUi();   // emphasised texts of the device information
const wxFont& LargeUi();  // larger texts of a few dialogs
const wxFont& Heading();  // the messaging switch
const wxFont& Mark();     // the "!" warning marks

}  // namespace vyr::fonts
