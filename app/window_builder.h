// Creates windows from layout descriptors: one place that knows how each kind is made.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "layout_tables.h"

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
    wxWindow* Find(std::string_view key) const;

  private:
    void NameByCaption(const Control& control, wxWindow* window);

    std::map<std::string, wxWindow*, std::less<>> windows_;
};

}  // namespace vyr::layout
