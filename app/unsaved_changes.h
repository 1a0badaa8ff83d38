// Whether the window's settings differ from what was last loaded, saved or sent completely:
// the marker in the window title and the question before the changes would be lost.
//
// It compares the store with a snapshot of its values, so that an edit undone by hand counts
// as no change.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <wx/string.h>

#include "device/transfer.h"
#include "settings/store.h"

class wxTopLevelWindow;
class wxWindow;

namespace vyr {

class UnsavedChanges {
  public:
    // Every value of every preset, in parameter-major order.
    using Snapshot = std::vector<std::string>;

    static constexpr std::string_view kQuestion =
        "The settings have changes that were not saved or sent to the device. Discard them?";
    static constexpr std::string_view kMarker = "*";

    // `title` is the window's title without the marker. The store as it is now counts as
    // saved.
    UnsavedChanges(wxTopLevelWindow& window, const SettingStore& store, wxString title);

    static Snapshot Take(const SettingStore& store);

    // The store's values as they are now were saved, loaded or sent: all of them, or only
    // those of `preset` (and the global parameters, which every preset shares).
    void MarkSaved(std::optional<int> preset = std::nullopt);
    // As above, for values taken earlier (a send that the store may have moved on from).
    void MarkSaved(const Snapshot& values, std::optional<int> preset);

    // Values whose saved state is not known (a load that got no answer for them shows their
    // defaults): they count as changed until saved, loaded or sent again.
    void MarkUnknown(const std::vector<ValueAt>& values);

    bool Changed() const;
    // Puts the marker in the title, or takes it out, after the store may have changed.
    void Refresh();
    // True when nothing changed or the person agreed to discard the changes; `title` is the
    // question's caption. The question is asked over `parent` (the window when none).
    bool MayDiscard(std::string_view title, wxWindow* parent = nullptr);

  private:
    wxTopLevelWindow& window_;
    const SettingStore& store_;
    wxString title_;
    Snapshot saved_;
};

}  // namespace vyr
