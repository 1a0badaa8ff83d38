// The value fields beside the adjusters: each shows its adjuster's position in engineering
// units (value_display), and the autoleveling thresholds are kept in order while they move.
#pragma once

#include <string_view>

#include "value_display.h"

class wxScrollEvent;

namespace vyr {

class ControlSet;

class ValueFields {
  public:
    explicit ValueFields(const ControlSet& controls) : controls_(controls) {}

    // Writes the field of one adjuster (by its key); other keys are ignored.
    void Write(std::string_view adjuster);
    // Redraws every field of the level-control page and the level fields.
    void RedrawAll();
    // The working sample rate changed: the look-ahead's range and the limiter's fields follow.
    void ApplySampleRate(int rate);
    unsigned WorkingSampleRate() const { return sampleRate_; }

    // A slider moved; runs before its change event stores the value, so that the stored
    // position is the corrected one.
    void OnSliderScrolled(wxScrollEvent& event);

  private:
    display::Context Context() const;

    const ControlSet& controls_;
    unsigned sampleRate_ = display::kInitialSampleRate;
};

}  // namespace vyr
