#include "device/user_level.h"

#include "settings/catalogue.h"

namespace vyr {

bool UserLevel::MayEdit(const SettingConstraint& entry) const {
    return Allows(entry.accessLevel);
}

std::string_view HardwareTypeName(HardwareClass hardware) {
    switch (hardware) {
        case HardwareClass::Recorder:
            return "Vyr Recorder";
        case HardwareClass::Standard:
            return "Vyr";
        case HardwareClass::NotConnected:
            break;
    }
    return "";
}

}  // namespace vyr
