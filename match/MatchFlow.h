// The match flow's free helpers (the flow itself is PostplayPlugin's, in MatchFlow.cpp).
// The game it looks at: the online game if there is one, else the current game state;
// empty when the game handle is empty.
#pragma once

#include <memory>

#include "host/GameWrapper.h"
#include "host/ServerWrapper.h"

namespace postplay {

ServerWrapper GetCurrentServer(std::shared_ptr<GameWrapper> gameWrapper);

// Playlist classes of the match flow.
enum class PlaylistClass { Competitive, Casual, Other };
PlaylistClass ClassifyPlaylist(int playlistId);

} // namespace postplay
