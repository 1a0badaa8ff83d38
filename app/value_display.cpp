#include "app/value_display.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace vyr::display {

namespace {

using enum Conversion;

constexpr std::array<DisplayRow, 21> kDisplays = {{
    {"play_headset_level_spin", "play_headset_level_text", LevelDb},
    {"mess_level_group2_spin", "mess_level_group2_text", LevelDb},
    {"play_lineout_level_spin", "play_lineout_level_text", LineoutDbu},
    {"pm_shutdown_time_spin", "pm_shutdown_time_edit", HoursMinutes},
    {"he_th_slider", "he_th_label", AmplitudeHardEnd},
    {"roi_up_th_slider", "roi_up_th_label", Amplitude},
    {"roi_low_th_slider", "roi_low_th_label", Amplitude},
    {"roi_no_th_slider", "roi_no_th_label", Amplitude},
    {"li_th_slider", "li_th_label", Amplitude},
    {"he_pga_down_spinbutton", "he_pga_down_label", HalfDbSteps},
    {"roi_pga_down_spinbutton", "roi_pga_down_label", HalfDbSteps},
    {"roi_pga_up_spinbutton", "roi_pga_up_label", HalfDbSteps},
    {"he_step_timeout_spinbutton", "he_step_timeout_label", FiftyMsSteps},
    {"roi_pga_down_hold_spinbutton", "roi_pga_down_hold_label", FiftyMsSteps},
    {"roi_pga_up_hold_spinbutton", "roi_pga_up_hold_label", FiftyMsSteps},
    {"he_max_overs_spinbutton", "he_max_overs_label", PlainCount},
    {"roi_att_spinbutton", "roi_att_label", ReferenceSeconds},
    {"roi_rel_spinbutton", "roi_rel_label", ReferenceSeconds},
    {"li_att_spinbutton", "li_att_label", LimiterMs},
    {"li_rel_spinbutton", "li_rel_label", LimiterMs},
    {"li_adv_spinbutton", "li_adv_label", LookAheadMs},
}};

template <typename... Args>
std::string Printf(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// 1 - 2^-v: the step of a one-pole smoother with coefficient 2^-v.
double SmootherLog(int v) {
    return std::log(1.0 - std::ldexp(1.0, -v));
}

// Share of a gap the smoother closes in the displayed time.
const double kClosed = std::log(0.11);

}  // namespace

const DisplayRow* FindDisplay(std::string_view adjuster) {
    for (const DisplayRow& entry : kDisplays) {
        if (entry.adjuster == adjuster)
            return &entry;
    }
    return nullptr;
}

std::size_t DisplayCount() {
    return kDisplays.size();
}

const DisplayRow& DisplayAt(std::size_t index) {
    return kDisplays.at(index);
}

std::string Format(Conversion conversion, int v, const Context& context) {
    const double rate = context.sampleRate;
    switch (conversion) {
        case LevelDb:
            return v == kLevelMinimum ? "-Inf dB" : Printf("%ddB", v);
        case LineoutDbu:
            return v == kLevelMinimum ? "-Inf dBu"
                                      : Printf("%ddBu", context.balancedOutput ? v + 6 : v);
        case HoursMinutes:
            return Printf("%02d:%02d", v / 60, v % 60);
        case AmplitudeHardEnd:
        case Amplitude: {
            if (v == 0)
                return "-Inf dB";
            const double reference = conversion == AmplitudeHardEnd ? 2047.0 : 32767.0;
            return Printf("%.1f dB", 20.0 * std::log10(v / reference));
        }
        case HalfDbSteps:
            return Printf("%.1f dB", v * 0.5);
        case FiftyMsSteps:
            return Printf("%d ms", v * 50);
        case PlainCount:
            return Printf("%d", v);
        case ReferenceSeconds: {
            // Stepped every 50 ms; shown in single precision.
            const float t = v == 0 ? 0.0f : static_cast<float>(0.05 * kClosed / SmootherLog(v));
            return Printf("%.2f s", static_cast<double>(t));
        }
        case LimiterMs: {
            // Stepped once per sample.
            const float t = v == 0 || rate == 0
                                ? 0.0f
                                : static_cast<float>(kClosed / (SmootherLog(v) * rate / 1000.0));
            return Printf("%.1f ms", static_cast<double>(t));
        }
        case LookAheadMs:
            return Printf("%.2f ms", rate == 0 ? 0.0 : v / rate * 1000.0);
    }
    return {};
}

SliderOutcome UpperTargetMoved(int upper, int lower) {
    if (upper < lower)
        return {lower, std::nullopt};
    return {};
}

SliderOutcome LowerTargetMoved(int lower, int upper, int noiseFloor) {
    if (lower > upper)
        return {upper, std::nullopt};
    if (lower < noiseFloor)
        return {noiseFloor, std::nullopt};
    // The noise floor can never be dragged above the lower target.
    return {std::nullopt, lower};
}

SliderOutcome NoiseFloorMoved(int noiseFloor, int lower) {
    if (noiseFloor > lower)
        return {lower, std::nullopt};
    return {};
}

}  // namespace vyr::display
