// The protocol guard report: after a load that had to repair or fill in values, lists what was
// changed and why, above an OK button.
#pragma once

#include "dialogs/table_dialog.h"
#include "settings/guard.h"

class wxButton;
class wxStaticText;
class wxTextCtrl;

namespace vyr {

class ProtocolGuardDlg : public TableDialog {
  public:
    enum Ids {
        ID_ERR_LOG = 1001,
        ID_ERR_ACTION = 1002,
        ID_OK = 1003,
    };

    ProtocolGuardDlg(wxWindow* parent, const GuardLog& guard);

    wxStaticText* Explanation() const { return explanation_; }
    wxTextCtrl* LogField() const { return log_; }
    wxButton* OkButton() const { return ok_; }

  private:
    void OnOk(wxCommandEvent& event);

    wxStaticText* explanation_ = nullptr;
    wxTextCtrl* log_ = nullptr;
    wxButton* ok_ = nullptr;
};

// Shows the report of `guard` modally, centred on `parent`, when its log holds anything; an
// empty log shows nothing. The dialog is gone when this returns.
void ShowGuard(wxWindow* parent, const GuardLog& guard);

}  // namespace vyr
