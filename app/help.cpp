#include "app/help.h"

#include <utility>

#include <wx/filename.h>
#include <wx/stdpaths.h>

namespace vyr {
namespace {

bool StartForReal(const std::vector<std::string>& command, std::string& error,
                  const LateFailure& onLateFailure) {
    return StartDetached(command, error, onLateFailure);
}

CommandStarter& Starter() {
    static CommandStarter starter = StartForReal;
    return starter;
}

std::string CannotOpen(const std::string& path, const std::string& reason) {
    return "The help file " + path + " cannot be opened: " + reason +
           " It can also be opened in a web browser.";
}

}  // namespace

std::string HelpFilePath() {
    wxFileName file(wxStandardPaths::Get().GetExecutablePath());
    file.AppendDir("Doc");
    file.SetFullName("Vyr_help.html");
    return file.GetFullPath().utf8_string();
}

bool OpenHelpFile(const std::string& path, std::string& error, LateFailure onLateFailure) {
    const wxString file = wxString::FromUTF8(path);
    if (path.empty() || !wxFileName::FileExists(file)) {
        error = "The help file " + (path.empty() ? std::string("(none)") : path) +
                " was not found. The program may not be installed completely.";
        return false;
    }
    if (!wxFileName::IsFileReadable(file)) {
        error = "The help file " + path + " cannot be read.";
        return false;
    }
    std::string reason;
    LateFailure late;
    if (onLateFailure) {
        late = [path, onLateFailure](const std::string& why) {
            onLateFailure(CannotOpen(path, why));
        };
    }
    if (!Starter()(OpenFileCommand(path), reason, late)) {
        error = CannotOpen(path, reason);
        return false;
    }
    return true;
}

CommandStarter SetCommandStarter(CommandStarter starter) {
    if (!starter)
        starter = StartForReal;
    return std::exchange(Starter(), std::move(starter));
}

}  // namespace vyr
