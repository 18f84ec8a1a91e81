#include "match/Playlists.h"

#include <algorithm>
#include <iterator>

namespace postplay {

namespace {

constexpr int kCompetitivePlaylists[] = {10, 11, 13, 27, 28, 29, 30};
constexpr int kCasualPlaylists[] = {0,  1,  2,  3,  4,  8,  15, 16, 17, 18, 23, 25, 26, 31, 32, 33,
                                    35, 37, 38, 41, 43, 44, 46, 47, 48, 49, 50, 52, 54, 55, 62};

template <typename Ids>
bool Contains(const Ids& ids, int id) {
    return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

} // namespace

ServerWrapper GetCurrentServer(const std::shared_ptr<GameWrapper>& gameWrapper) {
    if (!gameWrapper) return ServerWrapper(0);
    ServerWrapper online = gameWrapper->GetOnlineGame();
    if (!online.IsNull()) return online;
    return gameWrapper->GetCurrentGameState();
}

PlaylistClass ClassifyPlaylist(int playlistId) {
    if (Contains(kCompetitivePlaylists, playlistId)) return PlaylistClass::Competitive;
    if (Contains(kCasualPlaylists, playlistId)) return PlaylistClass::Casual;
    return PlaylistClass::Other;
}

} // namespace postplay
