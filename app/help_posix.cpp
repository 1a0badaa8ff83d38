// Opening a file with the desktop's application on Linux and other free desktops: xdg-open
// asks the desktop which application is registered for the file's type.
#include <filesystem>
#include <system_error>

#include <wx/filefn.h>
#include <wx/process.h>
#include <wx/utils.h>

#include "app/help.h"

namespace vyr {
namespace {

// xdg-open's exit status when no application is registered for the file.
constexpr int kNoApplication = 3;

// Hears when the opener ends; deletes itself then.
class OpenerProcess : public wxProcess {
  public:
    explicit OpenerProcess(LateFailure onLateFailure) : onLateFailure_(std::move(onLateFailure)) {}

    void OnTerminate(int /*pid*/, int status) override {
        if (status == kNoApplication && onLateFailure_)
            onLateFailure_("no application is registered to show this kind of file.");
        delete this;
    }

  private:
    LateFailure onLateFailure_;
};

}  // namespace

std::string ProgramFilePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::vector<std::string> OpenFileCommand(const std::string& path) {
    return {"xdg-open", path};
}

bool StartDetached(const std::vector<std::string>& command, std::string& error,
                   const LateFailure& onLateFailure) {
    if (command.empty() || command.front().empty()) {
        error = "no command to start.";
        return false;
    }
    // wxExecute cannot tell a missing program from one that started, so look for it first.
    wxPathList searchPath;
    searchPath.AddEnvList("PATH");
    const wxString program = wxString::FromUTF8(command.front());
    const wxString found =
        program.Contains("/") ? program : searchPath.FindAbsoluteValidPath(program);
    if (found.empty() || !wxIsExecutable(found)) {
        error = "the program " + command.front() + " was not found.";
        return false;
    }

    std::vector<std::string> args = command;
    args.front() = found.utf8_string();
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);

    // Asynchronous: the window goes on while the viewer runs; the toolkit reaps the process.
    // Its own process group, so that Ctrl+C on the program's terminal leaves the viewer open.
    auto* process = onLateFailure ? new OpenerProcess(onLateFailure) : nullptr;
    if (wxExecute(argv.data(), wxEXEC_ASYNC | wxEXEC_MAKE_GROUP_LEADER, process) <= 0) {
        delete process;
        error = "the program " + command.front() + " could not be started.";
        return false;
    }
    return true;
}

}  // namespace vyr
