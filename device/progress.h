// How a long device operation tells its caller how far it is, and learns that it should stop.
#pragma once

#include <string_view>

namespace vyr {

class Progress {
  public:
    virtual ~Progress() = default;

    // `done` of `total` exchanges; the value moving now is `key` of `preset` (empty key when
    // the step moves no value).
    virtual void Report(int /*done*/, int /*total*/, std::string_view /*key*/, int /*preset*/) {}
    // Checked before each exchange: true stops the operation after the exchange in flight.
    virtual bool CancelRequested() { return false; }
};

// For callers that neither show progress nor cancel.
inline Progress& NoProgress() {
    static Progress none;
    return none;
}

}  // namespace vyr
