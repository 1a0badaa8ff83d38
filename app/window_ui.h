// What the shared operations show a person, as the main window shows it: message boxes,
// the guard report, the "Busy" connection button, the preset selections.
#pragma once

#include "settings/operation_ui.h"

namespace vyr {

class AdminSWFrm;

class WindowUi : public OperationUi {
  public:
    explicit WindowUi(AdminSWFrm& frame) : frame_(frame) {}

    void BeginBusy() override;
    void EndBusy() override;
    void ShowMessage(const StatusMessage& message) override;
    bool Confirm(std::string_view title, std::string_view text) override;
    void ShowGuard(const GuardLog& guard) override;
    int ActivePreset() const override;
    void SetActivePreset(int preset) override;
    int EditedPreset() const override;
    void SelectEditedPreset(int preset) override;
    void ShowEditedPreset() override;
    void RefreshEnabling() override;

  private:
    AdminSWFrm& frame_;
};

}  // namespace vyr
