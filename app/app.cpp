// The application object: creates and shows the main window.
#include <wx/app.h>

#include "main_frame.h"
#include "settings/guard.h"
#include "settings/store.h"

namespace vyr {

class AdminSWFrmApp : public wxApp {
  public:
    bool OnInit() override {
        auto* frame = new AdminSWFrm(store_);
        frame->Show();
        return true;
    }

  private:
    SettingCatalogue catalogue_;
    GuardLog guard_;
    SettingStore store_{catalogue_, guard_};
};

}  // namespace vyr

wxIMPLEMENT_APP(vyr::AdminSWFrmApp);
