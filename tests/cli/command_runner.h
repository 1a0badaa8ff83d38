// Running a program as a script does, on each platform (command_runner_*.cpp).
#pragma once

#include <string>

namespace vyr::test {

// Runs `program` with `args` (words separated by spaces, as a shell splits them), standard
// input closed, standard output and error into the files `out` and `err`, and the variables
// of `environment` ("NAME=VALUE ...") set and VYR_PASSWORD unset otherwise; stops it after two
// minutes (status 124). Returns its exit status, -1 when it did not exit. Each platform's in
// command_runner_*.cpp.
int RunCommand(const std::string& program, const std::string& args,
               const std::string& environment, const std::string& out, const std::string& err);

// This process's number, which keeps the folders of two test runs at the same time apart.
unsigned long ProcessNumber();

}  // namespace vyr::test
