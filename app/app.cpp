// The application object: checks the catalogue, creates and shows the main window.
#include <cstdio>
#include <cstring>

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "main_frame.h"
#include "services.h"

namespace vyr {
namespace {

constexpr const char* kUsage = "usage: vyradmin [--port PATH]...\n";

// The only command-line option is --port PATH (repeatable): ports listed first in the port
// choice. False for anything else.
bool ParseArguments(int argc, wxChar** argv, StartOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const wxString argument(argv[i]);
        if (argument == "--port" && i + 1 < argc) {
            options.ports.push_back(wxString(argv[++i]).utf8_string());
        } else if (argument.StartsWith("--port=")) {
            options.ports.push_back(argument.Mid(7).utf8_string());
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

class AdminSWFrmApp : public wxApp {
  public:
    bool OnInit() override {
        StartOptions options;
        if (!ParseArguments(argc, argv, options)) {
            std::fputs(kUsage, stderr);
            return false;
        }
        // Every default must satisfy its own constraint, or the window would show values
        // the device refuses.
        if (!CheckCatalogue(services_.store)) {
            wxMessageBox(wxString(DesignErrorText(services_.guard)), "DESIGN ERROR",
                         wxOK | wxICON_WARNING);
            return false;  // the program ends with exit status 255
        }
        frame_ = new AdminSWFrm(services_, options);
        frame_->Show();
        return true;
    }

  private:
    AppServices services_;
    AdminSWFrm* frame_ = nullptr;
};

}  // namespace vyr

wxIMPLEMENT_APP(vyr::AdminSWFrmApp);
