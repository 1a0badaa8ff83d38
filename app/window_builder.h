// Creates the main window's controls from its layout descriptors, through the control-table
// builder the dialogs share.
#pragma once

#include <string_view>

#include "layout_tables.h"
#include "ui/control_table.h"

class wxWindow;

namespace vyr::layout {

class WindowBuilder {
  public:
    // `frame` is the parent of descriptors whose parent is "frame".
    explicit WindowBuilder(wxWindow* frame);

    // Creates the window of `control` under its parent, which must already exist; gives it
    // its font, initial value and state, and a control with a separate caption its accessible
    // name. Returns the window.
    wxWindow* Build(const Control& control);

    // The window created for a descriptor key, or nullptr.
    wxWindow* Find(std::string_view key) const { return table_.Find(key); }

  private:
    ctl::Table table_;
};

}  // namespace vyr::layout
