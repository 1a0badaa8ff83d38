// The device as it leaves the factory.
#pragma once

#include "sim/file_tree.h"

namespace vyrsim {

// Fills the tree with the factory files: the ten presets and the current values, the user
// accounts, identity files, microphone calibrations, service history, the firmware image and
// the measurement files that change over time.
void LoadFactoryState(FileTree& files);
// Only the measurement files: the device keeps them current whatever its tree holds.
void LoadLiveFiles(FileTree& files);

}  // namespace vyrsim
