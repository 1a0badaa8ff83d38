// Runs vyrctl as a script would: arguments, exit status, standard output and error.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "command_runner.h"

namespace vyr::test {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh folder per test, and vyrctl run with standard input closed (so it never waits for
// a typed password) and without VYR_PASSWORD unless `environment` sets it. A run that has
// not ended after two minutes, far beyond any command here, is stopped and fails with
// status 124, so that a command that hangs fails its test instead of stalling the suite.
class VyrctlTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The process id keeps two test runs at the same time (two build trees) apart.
        dir = std::filesystem::temp_directory_path() /
              ("vyrctl_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
               std::to_string(ProcessNumber()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string File(const std::string& name) const { return (dir / name).string(); }

    Result Vyrctl(const std::string& args, const std::string& environment = "") const {
        const std::string out = File("stdout"), err = File("stderr");
        Result run;
        run.status = RunCommand(VYRCTL, args, environment, out, err);
        run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }
};

}  // namespace vyr::test
