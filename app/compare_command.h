// "Compare with settings file...": the values in which a settings file differs from the
// window's settings, each named and shown as the window shows it.
#pragma once

#include <string>
#include <vector>

#include "dialogs/compare_dialog.h"
#include "settings/store.h"

class wxWindow;

namespace vyr {

// The caption the window shows for a parameter: the label beside its control, or the text
// of a check box that carries its own. The first line of a caption of several lines.
std::string ParameterCaption(const SettingCatalogue& catalogue, int parameter);

// A stored value as the window shows it: choices by their entry text, check boxes "on" or
// "off", adjusters with a value field in that field's units (the lineout and limiter fields
// following the same preset's output selection and sample rate), texts as typed.
std::string DisplayedValue(const SettingStore& store, int parameter, int preset);

// The rows of the values that differ, preset by preset in catalogue order. A global
// parameter holds one value for all presets: it is one row, "All presets", ahead of the rest.
std::vector<CompareRow> DifferenceRows(const SettingStore& file, const SettingStore& window);

// The menu command: asks for a settings file, reads it as "Load settings from computer" does
// (with the same messages when it cannot), and shows the rows, or says that nothing differs.
// The window's settings do not change.
void CompareWithSettingsFile(wxWindow* parent, SettingStore& window);

}  // namespace vyr
