// STUB: replaced by the match-flow work.
#include "training/TrainingMode.h"
TrainingMode::Mode TrainingMode::FromString(const std::string&) { return FreePlay; }
const char* TrainingMode::ToString(Mode) { return "freeplay"; }
bool ValidateTrainingPackCode(std::string&) { return false; }
