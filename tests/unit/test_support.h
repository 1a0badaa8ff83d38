// Helpers shared by the unit tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/model.h"
#include "settings/settings_file.h"
#include "settings/store.h"
#include "settings/text.h"

namespace vyr::test {

// A settings model of its own for each test, with access by key.
struct Model : SettingsModel {
    int Index(std::string_view key) const {
        const int p = catalogue.Find(key);
        EXPECT_GE(p, 0) << "no parameter " << key;
        return p;
    }
    std::string Text(std::string_view key, int preset) const {
        return std::string(store.Text(Index(key), preset));
    }
    // SetSetting by key; returns the text as SetSetting left it.
    std::string Set(std::string_view key, int preset, std::string text) {
        store.SetSetting(Index(key), preset, text);
        return text;
    }
    void Store(std::string_view key, int preset, std::string_view text) {
        store.StoreSetting(Index(key), preset, text);
    }
    std::string Log() const { return WideToUtf8(guard.Log()); }
};

// A fresh folder below the system's temporary folder, removed at the end of the test.
class TempDir {
  public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("vyr_test_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                 std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(std::string_view name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void WriteFile(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

// Rewrites the token line of a settings file so that it matches its body again.
inline std::string Reseal(const std::string& content) {
    const auto end = content.find('\n');
    if (end == std::string::npos)
        return content;
    const std::string body = content.substr(end + 1);
    return "security_token=" + SettingsChecksum(body) + "\n" + body;
}

}  // namespace vyr::test
