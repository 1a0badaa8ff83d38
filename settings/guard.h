// The report of repaired and missing values of one load ("protocol guard").
#pragma once

#include <string>
#include <string_view>

namespace vyr {

inline constexpr std::string_view kLoadingFromDevice = "loading from device";
inline constexpr std::string_view kLoadingFromFile = "loading from file";

class GuardLog {
  public:
    // Starts guarding an operation: names it and empties the log.
    void BeginGuard(std::string_view context);

    // One line per repaired value; key and texts are 8-bit Latin-1.
    void LogInvalid(std::string_view key, int preset, std::string_view rejected,
                    std::string_view replacement);
    // A value the device said it does not hold, or the file lacks.
    void LogMissing(std::string_view key, int preset, std::string_view replacement);
    // A value the device did not answer at all: its default stands in for what it holds.
    void LogUnanswered(std::string_view key, int preset, std::string_view replacement);

    void EmptyGuardLog() { log_.clear(); }

    bool Empty() const { return log_.empty(); }
    const std::wstring& Context() const { return context_; }
    const std::wstring& Log() const { return log_; }

    // The explanation the report dialog shows above the log.
    std::wstring Explanation() const;

  private:
    void LogReplaced(std::string_view key, int preset, std::wstring_view why,
                     std::string_view replacement);

    std::wstring context_;
    std::wstring log_;
};

}  // namespace vyr
