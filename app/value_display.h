// The engineering-unit texts shown beside the adjusters, and the rules that keep the three
// autoleveling thresholds in order. Pure functions: the window calls them with positions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vyr::display {

inline constexpr int kLevelMinimum = -68;  // the "-Inf" position of the level spinners
inline constexpr int kInitialSampleRate = 44100;

enum class Conversion {
    LevelDb,           // headphone and messaging level
    LineoutDbu,        // lineout level; 6 dB more on the balanced output
    HoursMinutes,      // shutdown time in minutes
    AmplitudeHardEnd,  // 15-bit amplitude against 2047
    Amplitude,         // 15-bit amplitude against full scale
    HalfDbSteps,
    FiftyMsSteps,
    PlainCount,
    ReferenceSeconds,  // autoleveling rise and fall
    LimiterMs,         // limiter attack and release
    LookAheadMs,
};

// Which field shows which adjuster, and how.
struct DisplayRow {
    std::string_view adjuster;
    std::string_view field;
    Conversion conversion;
};

// All 21 displays of the main window, in display-table order.
const DisplayRow* FindDisplay(std::string_view adjuster);
std::size_t DisplayCount();
const DisplayRow& DisplayAt(std::size_t index);

struct Context {
    unsigned sampleRate = kInitialSampleRate;  // the working sample rate
    bool balancedOutput = false;               // "Lineout (balanced)" selected
};

// The text of a value field for adjuster position `v`.
std::string Format(Conversion conversion, int v, const Context& context);

// Maximum of the look-ahead adjuster at a sample rate (10 ms of samples).
inline int LookAheadMaximum(int rate) {
    return rate / 100;
}

// What a slider event leads to: snap the slider back to a position (and stop), or write its
// display; moving the lower target also limits the noise floor's range to it.
struct SliderOutcome {
    std::optional<int> snapTo;
    std::optional<int> noiseFloorMaximum;
    bool writeDisplay() const { return !snapTo; }
};

SliderOutcome UpperTargetMoved(int upper, int lower);
SliderOutcome LowerTargetMoved(int lower, int upper, int noiseFloor);
SliderOutcome NoiseFloorMoved(int noiseFloor, int lower);

}  // namespace vyr::display
