#include "compare_command.h"

#include <algorithm>
#include <array>
#include <iterator>

#include <wx/filename.h>
#include <wx/msgdlg.h>

#include "layout_tables.h"
#include "settings/bwf_metadata.h"
#include "settings/difference.h"
#include "settings/settings_file.h"
#include "settings/text.h"
#include "ui/message_box.h"
#include "ui/settings_file_chooser.h"
#include "ui/wx_text.h"
#include "value_display.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "Compare with settings file";
constexpr std::string_view kAllPresets = "All presets";
constexpr std::string_view kBalancedOutput = "Lineout (balanced)";

// The metadata values have no control on the window's pages: they are named after the
// fields of the "BWF Metadata" dialog.
struct MetadataCaption {
    int parameter;
    std::string_view caption;
};
constexpr MetadataCaption kMetadataCaptions[] = {
    {param::rec_meta_description0, "BWF Metadata: Description (part 1)"},
    {param::rec_meta_description0 + 1, "BWF Metadata: Description (part 2)"},
    {param::rec_meta_description0 + 2, "BWF Metadata: Description (part 3)"},
    {param::rec_meta_description0 + 3, "BWF Metadata: Description (part 4)"},
    {param::rec_meta_description0 + 4, "BWF Metadata: Description (part 5)"},
    {param::rec_meta_originator, "BWF Metadata: Originator"},
    {param::rec_meta_cc, "BWF Metadata: Country code (CC)"},
    {param::rec_meta_ooo, "BWF Metadata: Organisation code (OOO)"},
};

// The descriptor of the control bound to a catalogue key, or nullptr.
const layout::Control* BoundDescriptor(std::string_view key) {
    for (const layout::Table& table : layout::Tables()) {
        for (const layout::Control& control : table.controls) {
            if (control.parameter == key)
                return &control;
        }
    }
    return nullptr;
}

std::string FirstLine(std::string_view text) {
    return std::string(TrimTrailingBlanks(text.substr(0, text.find('\n'))));
}

// The context a value field computes with, as the window has it while `preset` is shown.
display::Context FieldContext(const SettingStore& store, int preset) {
    display::Context context;
    const auto rate =
        ParseWholeInteger(TrimTrailingBlanks(store.Text(param::rec_sample_rate, preset)));
    if (rate && *rate > 0)
        context.sampleRate = static_cast<unsigned>(*rate);
    context.balancedOutput = store.Text(param::play_output_selection, preset) == kBalancedOutput;
    return context;
}

}  // namespace

std::string ParameterCaption(const SettingCatalogue& catalogue, int parameter) {
    const std::string_view key = catalogue[parameter].key;
    for (const MetadataCaption& entry : kMetadataCaptions) {
        if (entry.parameter == parameter)
            return std::string(entry.caption);
    }
    const layout::Control* control = BoundDescriptor(key);
    if (!control)
        return std::string(key);
    if (const layout::Control* caption = layout::CaptionOf(control->key))
        return FirstLine(caption->text);
    return FirstLine(control->text);
}

std::string DisplayedValue(const SettingStore& store, int parameter, int preset) {
    const std::string_view stored = TrimTrailingBlanks(store.Text(parameter, preset));
    const layout::Control* control = BoundDescriptor(store.Catalogue()[parameter].key);
    const std::optional<std::int32_t> number = ParseWholeInteger(stored);
    const auto asText = [&] { return WideToUtf8(WidenSettingText(stored)); };
    if (!control)
        return asText();
    switch (control->kind) {
        case layout::Kind::CheckBox:
            if (number && (*number == 0 || *number == 1))
                return *number == 1 ? "on" : "off";
            return asText();
        case layout::Kind::Choice:
            return WideToUtf8(WidenSettingText(ToDisplayText(parameter, stored)));
        case layout::Kind::Slider:
        case layout::Kind::SpinButton:
            if (const display::DisplayRow* row = display::FindDisplay(control->key); row && number)
                return display::Format(row->conversion, *number, FieldContext(store, preset));
            return asText();
        default:
            return asText();
    }
}

std::vector<CompareRow> DifferenceRows(const SettingStore& file, const SettingStore& window) {
    std::vector<CompareRow> globals;
    std::vector<CompareRow> rows;
    std::array<bool, kParameterCount> listed{};
    for (const ValueDifference& d : DifferingValues(file, window)) {
        const bool global = window.Catalogue()[d.parameter].global;
        if (global && listed[d.parameter])
            continue;
        listed[d.parameter] = true;
        CompareRow row{std::string(global ? kAllPresets : PresetName(d.preset)),
                       ParameterCaption(window.Catalogue(), d.parameter),
                       DisplayedValue(file, d.parameter, d.preset),
                       DisplayedValue(window, d.parameter, d.preset)};
        (global ? globals : rows).push_back(std::move(row));
    }
    globals.insert(globals.end(), std::make_move_iterator(rows.begin()),
                   std::make_move_iterator(rows.end()));
    return globals;
}

void CompareWithSettingsFile(wxWindow* parent, SettingStore& window) {
    const std::string path = ChooseSettingsFileToLoad(parent);
    if (path.empty())
        return;
    // The file is read into a store of its own, with a catalogue of its own (validation
    // adjusts the look-ahead's range to each preset's sample rate): the window's settings stay
    // as they are.
    SettingCatalogue catalogue = window.Catalogue();
    GuardLog guard;
    SettingStore file(catalogue, guard);
    if (const auto message = MessageFor(LoadSettingsStore(file, path))) {
        ShowStatusMessage(parent, *message);
        return;
    }
    const wxString shownPath = WxPath(path);
    const wxString name = wxFileName(shownPath).GetFullName();
    wxString note;
    if (!guard.Empty()) {
        const auto repairs = std::count(guard.Log().begin(), guard.Log().end(), L'\n');
        note = wxString::Format(
            "The file needed %s while it was read: its values are compared as repaired.",
            repairs == 1 ? wxString("1 repair") : wxString::Format("%d repairs", int(repairs)));
    }
    std::vector<CompareRow> rows = DifferenceRows(file, window);
    if (rows.empty()) {
        wxString text = "The settings file " + name + " holds the same values as the window.";
        if (!note.empty())
            text += "\n\n" + note;
        wxMessageBox(text, kTitle, wxOK | wxICON_INFORMATION, parent);
        return;
    }
    CompareDlg dialog(parent, shownPath, note, std::move(rows));
    dialog.CentreOnParent(wxBOTH);
    dialog.ShowModal();
}

}  // namespace vyr
