// The settings a program works on: the catalogue, the store of ten presets and the report of
// the values the last load had to repair, set up together.
#pragma once

#include "catalogue.h"
#include "guard.h"
#include "store.h"

namespace vyr {

struct SettingsModel {
    SettingCatalogue catalogue;
    GuardLog guard;
    SettingStore store{catalogue, guard};
};

}  // namespace vyr
