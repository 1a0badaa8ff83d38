// Which values two stores hold differently.
#pragma once

#include <string>
#include <vector>

#include "store.h"

namespace vyr {

struct ValueDifference {
    int preset = 0;
    int parameter = 0;
    std::string oldText;  // in the first store
    std::string newText;  // in the second store
};

// Every slot whose text differs between `old` and `now`, preset-major in catalogue order. A
// global parameter that differs is listed in every preset that holds it.
std::vector<ValueDifference> DifferingValues(const SettingStore& old, const SettingStore& now);

}  // namespace vyr
