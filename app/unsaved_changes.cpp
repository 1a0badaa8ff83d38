#include "unsaved_changes.h"

#include <utility>

#include <wx/toplevel.h>

#include "ui/message_box.h"
#include "ui/wx_text.h"

namespace vyr {

UnsavedChanges::UnsavedChanges(wxTopLevelWindow& window, const SettingStore& store,
                               wxString title)
    : window_(window), store_(store), title_(std::move(title)), saved_(Take(store)) {}

UnsavedChanges::Snapshot UnsavedChanges::Take(const SettingStore& store) {
    Snapshot values;
    values.reserve(static_cast<std::size_t>(kParameterCount) * kPresetCount);
    for (int parameter = 0; parameter < kParameterCount; ++parameter) {
        for (int preset = 0; preset < kPresetCount; ++preset)
            values.emplace_back(store.Text(parameter, preset));
    }
    return values;
}

void UnsavedChanges::MarkSaved(std::optional<int> preset) {
    MarkSaved(Take(store_), preset);
}

void UnsavedChanges::MarkSaved(const Snapshot& values, std::optional<int> preset) {
    if (!preset) {
        saved_ = values;
    } else {
        for (int parameter = 0; parameter < kParameterCount; ++parameter) {
            const bool global = store_.Catalogue()[parameter].global;
            for (int slot = 0; slot < kPresetCount; ++slot) {
                const std::size_t at = static_cast<std::size_t>(parameter) * kPresetCount + slot;
                if (global || slot == *preset)
                    saved_[at] = values[at];
            }
        }
    }
    Refresh();
}

void UnsavedChanges::MarkUnknown(const std::vector<ValueAt>& values) {
    // No stored text holds a NUL byte: the entry differs from every value.
    static const std::string kUnknown(1, '\0');
    for (const ValueAt value : values)
        saved_[static_cast<std::size_t>(value.parameter) * kPresetCount + value.preset] = kUnknown;
    Refresh();
}

bool UnsavedChanges::Changed() const {
    auto saved = saved_.begin();
    for (int parameter = 0; parameter < kParameterCount; ++parameter) {
        for (int preset = 0; preset < kPresetCount; ++preset, ++saved) {
            if (store_.Text(parameter, preset) != *saved)
                return true;
        }
    }
    return false;
}

void UnsavedChanges::Refresh() {
    const wxString title = Changed() ? Wx(kMarker) + title_ : title_;
    if (window_.GetTitle() != title)
        window_.SetTitle(title);
}

bool UnsavedChanges::MayDiscard(std::string_view title, wxWindow* parent) {
    return !Changed() || AskYesNo(parent != nullptr ? parent : &window_, title, kQuestion);
}

}  // namespace vyr
