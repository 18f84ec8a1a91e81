// Leaves the game for the training destination of the chosen mode: free play, the custom
// training pack by its code, or the selected workshop map of the folder. A code or a map
// that cannot be loaded is said in one line and nothing is loaded.
#pragma once

#include "plugin/SharedCells.h"
#include "training/TrainingMode.h"

class CVarManagerWrapper;

// Upper-cases the kept pack code in place when it loads it.
void LoadTrainingDestination(CVarManagerWrapper& cvars, TrainingMode::Mode mode, SharedText& packCode,
                             const SharedText& mapsFolder, const SharedText& selectedMap);
