// The windows the layout tables built, found by descriptor key, and the control bound to each
// catalogue parameter.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "app/layout_tables.h"
#include "settings/catalogue.h"

class wxWindow;

namespace vyr {

// How a bound control holds its parameter's value.
enum class ControlKind { None, SpinCtrl, CheckBox, Choice, TextCtrl, Slider, SpinButton };

inline ControlKind ControlKindOf(layout::Kind kind) {
    switch (kind) {
        case layout::Kind::SpinCtrl:
            return ControlKind::SpinCtrl;
        case layout::Kind::CheckBox:
            return ControlKind::CheckBox;
        case layout::Kind::Choice:
            return ControlKind::Choice;
        case layout::Kind::TextField:
            return ControlKind::TextCtrl;
        case layout::Kind::Slider:
            return ControlKind::Slider;
        case layout::Kind::SpinButton:
            return ControlKind::SpinButton;
        default:
            return ControlKind::None;
    }
}

class ControlSet {
  public:
    void Add(std::string_view key, wxWindow* window) { windows_.emplace(std::string(key), window); }
    void Bind(int parameter, wxWindow* window, ControlKind kind) {
        bound_[parameter] = window;
        kinds_[parameter] = kind;
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
    // How the bound control holds the value; None when no control is bound.
    ControlKind KindOf(int parameter) const { return kinds_[parameter]; }
    // The parameter a control is bound to.
    std::optional<int> ParameterOf(const wxWindow* window) const {
        const auto it = parameterOf_.find(window);
        return it == parameterOf_.end() ? std::nullopt : std::optional<int>(it->second);
    }

  private:
    std::map<std::string, wxWindow*, std::less<>> windows_;
    std::array<wxWindow*, kParameterCount> bound_{};
    std::array<ControlKind, kParameterCount> kinds_{};
    std::unordered_map<const wxWindow*, int> parameterOf_;
};

}  // namespace vyr
