// The current game (a match, free play, a training pack or a workshop map) and the
// objects reached from it. All are handles; an empty or stale one answers with defaults.
#pragma once

#include "ObjectWrapper.h"

// A game's playlist. An empty handle reports id -1.
class GameSettingPlaylistWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;
    int GetPlaylistId();
};

// A team. An empty handle reports team number 255.
class TeamWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;
    unsigned char GetTeamNum();
};

class ServerWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;
    GameSettingPlaylistWrapper GetPlaylist(); // empty for games without a playlist
    TeamWrapper GetGameWinner();              // empty while the game has no winner
};
