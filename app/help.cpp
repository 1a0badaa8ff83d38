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
    return HelpFilePathFor(wxStandardPaths::Get().GetExecutablePath().utf8_string());
}

std::string HelpFilePathFor(const std::string& executable) {
    const wxFileName program(wxString::FromUTF8(executable));
    wxFileName beside(program.GetPath(), "Vyr_help.html");
    beside.AppendDir("Doc");
    if (wxFileName::FileExists(beside.GetFullPath()) || program.GetDirCount() == 0)
        return beside.GetFullPath().utf8_string();
    wxFileName installed(program.GetPath(), "Vyr_help.html");
    installed.RemoveLastDir();  // bin/
    for (const char* dir : {"share", "vyradmin", "Doc"})
        installed.AppendDir(dir);
    if (wxFileName::FileExists(installed.GetFullPath()))
        return installed.GetFullPath().utf8_string();
    return beside.GetFullPath().utf8_string();
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
