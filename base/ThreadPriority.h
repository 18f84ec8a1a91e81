// The plug-in's own threads (the cfg writer, the folder worker, the errand thread) do work
// that may wait a moment: the game's threads come first. Each lowers its own priority
// when it starts, so that waking one never takes the processor from a frame.
#pragma once

namespace postplay {

// Lowers the calling thread's scheduling priority; does nothing where that is not allowed.
void LowerThisThreadsPriority() noexcept;

} // namespace postplay
