#include "app/help.h"

#include <utility>

#include <wx/filename.h>
#include <wx/stdpaths.h>

namespace vyr {
namespace {

CommandStarter& Starter() {
    static CommandStarter starter = StartDetached;
    return starter;
}

}  // namespace

std::string HelpFilePath() {
    wxFileName file(wxStandardPaths::Get().GetExecutablePath());
    file.AppendDir("Doc");
    file.SetFullName("Vyr_help.html");
    return file.GetFullPath().utf8_string();
}

bool OpenHelpFile(const std::string& path, std::string& error) {
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
    if (!Starter()(OpenFileCommand(path), reason)) {
        error = "The help file " + path + " cannot be opened: " + reason +
                " It can also be opened in a web browser.";
        return false;
    }
    return true;
}

CommandStarter SetCommandStarter(CommandStarter starter) {
    if (!starter)
        starter = StartDetached;
    return std::exchange(Starter(), std::move(starter));
}

}  // namespace vyr
