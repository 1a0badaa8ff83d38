// One main window shared by the tests of a suite, shown and laid out like at start.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/notebook.h>
#include <wx/utils.h>

#include "app/main_frame.h"
#include "app/services.h"
#include "gui_support.h"

namespace vyr::test {

// A fresh directory for the window's configuration, removed afterwards.
class ConfigRoot {
  public:
    ConfigRoot() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vyr-gui-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ConfigRoot() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

struct FrameWorld {
    ConfigRoot configRoot;
    AppServices services;
    AdminSWFrm* frame = nullptr;

    explicit FrameWorld(StartOptions options = {}) {
        if (options.configDir.empty())
            options.configDir = configRoot.Path();
        frame = new AdminSWFrm(services, options);
        frame->Show();
        Settle();
    }
    ~FrameWorld() {
        frame->Destroy();
        Settle();
    }
};

class FrameTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { world_ = new FrameWorld; }
    static void TearDownTestSuite() {
        delete world_;
        world_ = nullptr;
    }
    static AdminSWFrm& Frame() { return *world_->frame; }
    static SettingCatalogue& Catalogue() { return world_->services.catalogue; }
    static AppServices& Services() { return world_->services; }

  private:
    static inline FrameWorld* world_ = nullptr;
};

}  // namespace vyr::test
