#include "dialogs/device_dialog.h"

#include <algorithm>

namespace vyr {

std::function<bool()> AwaitedResults::StillWanted() const {
    return [current = std::weak_ptr<unsigned>(generation_), generation = *generation_] {
        const auto latest = current.lock();
        return latest && *latest == generation;
    };
}

void AwaitedResults::OneLess() {
    awaited_ = std::max(0, awaited_ - 1);
    if (awaited_ == 0)
        showBusy_(false);
}

void AwaitedResults::DropAll() {
    ++*generation_;
    awaited_ = 0;
    showBusy_(false);
}

DeviceDialog::DeviceDialog(wxWindow* parent, DeviceAccess& device, std::string_view title,
                           wxSize size, Placement placement)
    : TableDialog(parent, 1, title, size, wxCAPTION | wxSTAY_ON_TOP | wxDIALOG_NO_PARENT),
      device_(device),
      placement_(placement) {}

bool DeviceDialog::Show(bool show) {
    if (show && !IsShown()) {
        if (placement_ == Placement::OnScreen)
            CentreOnScreen(wxBOTH);
        else
            CentreOnParent(wxBOTH);
    }
    if (!show)
        DropResults();
    return wxDialog::Show(show);
}

bool DeviceDialog::Permitted(LevelRule rule, std::string_view refusal) {
    if ((device_.CurrentLevel().*rule)())
        return true;
    if (refusal.empty())
        Hide();
    else
        Tell(refusal);
    return false;
}

}  // namespace vyr
