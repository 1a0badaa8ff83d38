// The help file and how it is shown: the application the desktop registers for it opens it,
// and the window does not wait for that application.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vyr {

// Where the running program finds its help file: HelpFilePathFor(the program's path).
std::string HelpFilePath();

// The running program's own file, found without the toolkit (whose lookup needs the
// application object); empty when unknown.
std::string ProgramFilePath();

// Doc/Vyr_help.html beside `executable` (the build tree), else the installed
// ../share/vyradmin/Doc/Vyr_help.html beside its folder (bin/) when that file exists.
// When neither exists, the first, so that what is reported names the file looked for.
std::string HelpFilePathFor(const std::string& executable);

// Told, later and on the window's thread, that a started command found nothing to open the
// file with; the text says so for a person.
using LateFailure = std::function<void(const std::string& reason)>;

// Opens `path` with the desktop's application for it and returns at once. False with the
// reason in `error` when the file is missing or nothing can open it; when that only turns out
// after the return, `onLateFailure` is called with the reason.
bool OpenHelpFile(const std::string& path, std::string& error, LateFailure onLateFailure = {});

// The command line that hands a file to the desktop's application for it.
std::vector<std::string> OpenFileCommand(const std::string& path);

// Starts a command without waiting for it to end. False with the reason in `error` when it
// cannot be started.
using CommandStarter = std::function<bool(const std::vector<std::string>& command,
                                          std::string& error, const LateFailure& onLateFailure)>;

// Starts a command by the platform's means (searched for on the program path). When the
// command ends saying that no application could be found, `onLateFailure` hears of it.
bool StartDetached(const std::vector<std::string>& command, std::string& error,
                   const LateFailure& onLateFailure = {});

// Replaces how OpenHelpFile starts its command, so that tests see the command instead of a
// browser opening; an empty function puts StartDetached back. Returns the previous starter.
CommandStarter SetCommandStarter(CommandStarter starter);

}  // namespace vyr
