// One main window shared by the tests of a suite, shown and laid out like at start.
#pragma once

#include <memory>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/notebook.h>
#include <wx/utils.h>

#include "app/main_frame.h"
#include "settings/guard.h"
#include "settings/store.h"

namespace vyr::test {

struct FrameWorld {
    SettingCatalogue catalogue;
    GuardLog guard;
    SettingStore store{catalogue, guard};
    AdminSWFrm* frame = nullptr;

    FrameWorld() {
        frame = new AdminSWFrm(store);
        frame->Show();
        Settle();
    }
    ~FrameWorld() {
        frame->Destroy();
        Settle();
    }

    // Lets the toolkit map and lay out the windows.
    static void Settle() {
        for (int i = 0; i < 10; ++i) {
            wxYield();
            wxMilliSleep(20);
        }
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
    static SettingCatalogue& Catalogue() { return world_->catalogue; }

  private:
    static inline FrameWorld* world_ = nullptr;
};

}  // namespace vyr::test
