// Values between the store and the controls of the edited preset, and what the window does
// after each one (edit rules, format choices, value fields, the clock lock).
#pragma once

#include "settings/catalogue.h"
#include "settings/store.h"

class wxWindow;

namespace vyr {

class ControlSet;
class PresetBar;
class ValueFields;

class SettingBinder {
  public:
    // What a value change asks of the rest of the window.
    class Reactions {
      public:
        virtual ~Reactions() = default;
        // `presets_enabled` was shown or edited.
        virtual void PresetsSwitched(bool enabled) = 0;
        // The enabling of one parameter's control may have changed.
        virtual void ParameterEnablingChanged(int parameter) = 0;
        // The file format changed: the metadata button's enabling follows.
        virtual void FormatChanged() = 0;
    };

    SettingBinder(const ControlSet& controls, SettingStore& store, const PresetBar& presets,
                  ValueFields& fields, Reactions& reactions);

    // Puts a stored value into its control (a value the control cannot show leaves it as it
    // is), then applies what follows from it.
    void ShowSetting(int parameter, int preset);
    // Shows every value of the edited preset and redraws the value fields.
    void ShowEditedPreset();
    // Stores a control's value into the edited preset (text held to the device's repertoire
    // and length), then applies what follows from it.
    void ReadControl(wxWindow* control);
    // A text field's edit ended: it shows the stored text, with the characters the device
    // cannot hold replaced.
    void EndTextEdit(wxWindow* field);

  private:
    void EditReactions(int parameter, int preset, bool userEdit);
    void OfferFormatChoices(bool userEdit);
    void ApplyClockLock();
    const SettingConstraint& Entry(int parameter) const { return store_.Catalogue()[parameter]; }

    const ControlSet& controls_;
    SettingStore& store_;
    const PresetBar& presets_;
    ValueFields& fields_;
    Reactions& reactions_;
};

}  // namespace vyr
