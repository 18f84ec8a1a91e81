// What the match flow asks of a game: which one it is in, and what kind of playlist a match
// belongs to.
#pragma once

#include <memory>

#include "host/GameWrapper.h"
#include "host/ServerWrapper.h"

namespace postplay {

// The online game if there is one, else the current game state; empty when the game handle
// is empty.
ServerWrapper GetCurrentServer(const std::shared_ptr<GameWrapper>& gameWrapper);

// Playlist classes of the match flow.
enum class PlaylistClass { Competitive, Casual, Other };
PlaylistClass ClassifyPlaylist(int playlistId);

} // namespace postplay
