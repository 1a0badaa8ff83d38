// Running a program as a shell script does.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "command_runner.h"

namespace vyr::test {

int RunCommand(const std::string& program, const std::string& args,
               const std::string& environment, const std::string& out, const std::string& err) {
    const std::string command = "env -u VYR_PASSWORD " + environment + " timeout -k 10 120 " +
                                program + " " + args + " </dev/null >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

unsigned long ProcessNumber() {
    return static_cast<unsigned long>(::getpid());
}

}  // namespace vyr::test
