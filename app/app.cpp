// The program's entry: reads the command line, then checks the catalogue and creates and
// shows the main window. The command line is read before the toolkit starts, so that
// `vyradmin --help` and a usage error need no display.
#include <cstdio>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "app/help.h"
#include "settings/file_io.h"
#include "main_frame.h"
#include "services.h"

namespace vyr {
namespace {

constexpr const char* kUsage =
    "usage: vyradmin [--port PATH]... [FILE]\n"
    "The Vyr administration window: connect to a Vyr microphone over its serial port, edit its\n"
    "presets, and load and save its settings in files.\n"
    "  --port PATH   list PATH first in the port choice (repeatable), e.g. the port that\n"
    "                vyrsim prints\n"
    "  FILE          load the settings file FILE once the window is shown\n"
    "  -h, --help    show this text and exit\n";

enum class Parsed { kRun, kHelp, kError };

// Options: --port PATH (or --port=PATH, repeatable): ports listed first in the port choice;
// -h/--help; one settings FILE. Anything else is a usage error, described in `error`.
Parsed ParseArguments(const std::vector<std::string>& argv, StartOptions& options,
                      std::string& error) {
    const std::size_t argc = argv.size();
    for (std::size_t i = 1; i < argc; ++i) {
        const std::string& argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            return Parsed::kHelp;
        } else if (argument == "--port") {
            if (i + 1 >= argc) {
                error = "--port needs a path";
                return Parsed::kError;
            }
            options.ports.emplace_back(argv[++i]);
        } else if (argument.rfind("--port=", 0) == 0) {
            if (argument.size() == 7) {
                error = "--port needs a path";
                return Parsed::kError;
            }
            options.ports.push_back(argument.substr(7));
        } else if (!argument.empty() && argument[0] == '-') {
            error = "unknown option '" + argument + "'";
            return Parsed::kError;
        } else if (options.settingsFile.empty() && !argument.empty()) {
            options.settingsFile = argument;
        } else {
            error = "unexpected argument '" + argument + "'";
            return Parsed::kError;
        }
    }
    return Parsed::kRun;
}

// What the command line asked for, read before the toolkit starts.
StartOptions& CommandLineOptions() {
    static StartOptions options;
    return options;
}

}  // namespace

class AdminSWFrmApp : public wxApp {
  public:
    bool OnInit() override {
        // Every default must satisfy its own constraint, or the window would show values
        // the device refuses.
        if (!CheckCatalogue(services_.store)) {
            wxMessageBox(wxString(DesignErrorText(services_.guard)), "DESIGN ERROR",
                         wxOK | wxICON_WARNING);
            return false;  // the program ends with exit status 255
        }
        frame_ = new AdminSWFrm(services_, CommandLineOptions());
        frame_->Show();
        return true;
    }

  private:
    AppServices services_;
    AdminSWFrm* frame_ = nullptr;
};

}  // namespace vyr

wxIMPLEMENT_APP_NO_MAIN(vyr::AdminSWFrmApp);

int main(int argc, char** argv) {
    std::string error;
    switch (vyr::ParseArguments(vyr::CommandLineArguments(argc, argv), vyr::CommandLineOptions(),
                                error)) {
        case vyr::Parsed::kHelp:
            std::fputs(vyr::kUsage, stdout);
            if (const std::string program = vyr::ProgramFilePath(); !program.empty())
                std::printf("The manual: %s\n", vyr::HelpFilePathFor(program).c_str());
            return 0;
        case vyr::Parsed::kError:
            std::fprintf(stderr, "vyradmin: %s (vyradmin --help shows the usage)\n",
                         error.c_str());
            return 1;
        case vyr::Parsed::kRun:
            break;
    }
    return wxEntry(argc, argv);
}
