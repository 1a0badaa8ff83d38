#include "difference.h"

namespace vyr {

std::vector<ValueDifference> DifferingValues(const SettingStore& old, const SettingStore& now) {
    std::vector<ValueDifference> differences;
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (int p = 0; p < kParameterCount; ++p) {
            const std::string_view before = old.Text(p, preset);
            const std::string_view after = now.Text(p, preset);
            if (before != after)
                differences.push_back({preset, p, std::string(before), std::string(after)});
        }
    }
    return differences;
}

}  // namespace vyr
