// The broadcast-wave metadata dialog: description, originator and the originator reference
// (USID) of the edited preset. Created on a metadata record for one modal run; only OK
// changes the record. Cancel, Escape and a close request leave it as it was.
#pragma once

#include "dialogs/table_dialog.h"
#include "settings/bwf_metadata.h"

class wxButton;
class wxTextCtrl;

namespace vyr {

class MetaDataDlg : public TableDialog {
  public:
    enum Ids {
        ID_DIALOG = 1,
        ID_DESC_EDIT = 1002,
        ID_DESC_LABEL = 1003,
        ID_ORIGIN_EDIT = 1004,
        ID_ORIGIN_LABEL = 1005,
        ID_CC_EDIT = 1006,
        ID_OOO_EDIT = 1007,
        ID_SERIAL_EDIT = 1008,
        ID_TIME_EDIT = 1009,
        ID_RANDOM_EDIT = 1010,
        ID_ORIGIN_REF_LABEL = 1011,
        ID_CC_LABEL = 1012,
        ID_OOO_LABEL = 1013,
        ID_SERIAL_LABEL = 1014,
        ID_CC_LEGEND = 1015,
        ID_OOO_LEGEND = 1016,
        ID_COUNTRY_LEGEND = 1017,
        ID_ORGANISATION_LEGEND = 1018,
        ID_CANCEL_BTN = 1019,
        ID_OK_BTN = 1020,
    };

    // `parent` is the main window; `record` outlives the dialog. The fields show the record.
    MetaDataDlg(wxWindow* parent, BwfMetadata& record);

    // The text field or label of an id.
    wxTextCtrl* Field(int id) const;
    wxWindow* Label(int id) const { return FindWindow(id); }
    wxButton* OkButton() const;
    wxButton* CancelButton() const;

  private:
    void FillFields();
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnDescriptionText(wxCommandEvent& event);
    void FilterDescription();
    // Ends a modal run with `code`; a dialog shown without one just hides.
    void Finish(int code);

    BwfMetadata& record_;
    bool filterPending_ = false;
};

}  // namespace vyr
