// Leaves the game for the training destination of the chosen mode: free play, the custom
// training pack by its code, or the selected workshop map of the folder. A code or a map
// that cannot be loaded is said in one line and nothing is loaded.
#pragma once

#include "base/SharedCells.h"
#include "base/TrainingMode.h"

class CVarManagerWrapper;

namespace postplay {

// Upper-cases the kept pack code in place when it loads it.
void LoadTrainingDestination(CVarManagerWrapper& cvars, TrainingMode::Mode mode, SharedText& packCode,
                             const SharedText& mapsFolder, const SharedText& selectedMap);

} // namespace postplay
