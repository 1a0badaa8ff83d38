// The windows the layout tables built, found by descriptor key, and the control bound to each
// catalogue parameter.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "settings/catalogue.h"

class wxWindow;

namespace vyr {

class ControlSet {
  public:
    void Add(std::string_view key, wxWindow* window) { windows_.emplace(std::string(key), window); }
    void Bind(int parameter, wxWindow* window) {
        bound_[parameter] = window;
        parameterOf_[window] = parameter;
    }

    // The window built for a descriptor key (spin controls by their "spin_" key), or nullptr.
    wxWindow* Control(std::string_view key) const {
        const auto it = windows_.find(key);
        return it == windows_.end() ? nullptr : it->second;
    }
    template <typename T>
    T* As(std::string_view key) const {
        return dynamic_cast<T*>(Control(key));
    }

    // The control bound to a parameter, or nullptr.
    wxWindow* Bound(int parameter) const { return bound_[parameter]; }
    // The parameter a control is bound to.
    std::optional<int> ParameterOf(const wxWindow* window) const {
        const auto it = parameterOf_.find(window);
        return it == parameterOf_.end() ? std::nullopt : std::optional<int>(it->second);
    }

  private:
    std::map<std::string, wxWindow*, std::less<>> windows_;
    std::array<wxWindow*, kParameterCount> bound_{};
    std::unordered_map<const wxWindow*, int> parameterOf_;
};

}  // namespace vyr
