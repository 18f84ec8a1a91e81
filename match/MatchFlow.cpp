// The match flow: the plug-in's decisions at a match end, the destination load once per
// game and the re-queue after the delay.
#include <cstdint>

#include "base/EntryGuard.h"
#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "match/GameEventManager.h"
#include "match/Playlists.h"
#include "plugin/PostplayPlugin.h"

namespace postplay {

namespace {

constexpr float kTransitionDelaySeconds = 0.0f; // the next run of the host's timers
constexpr float kExtraRequeueSeconds = 0.0f;
constexpr unsigned char kTeamNumberBound = 42; // teams 0 and 1 pass; 255 (no team) does not
constexpr const char* kNoPartyLeaderId = "0";
constexpr const char* kQueueCommand = "queue";

// Only a player in no party, or the party's leader, starts the search. A controller or PRI
// missing at the first look lets the re-queue through; missing at the second, it stops it.
bool PartyAllowsRequeue(GameWrapper& game) {
    PlayerControllerWrapper controller = game.GetPlayerController();
    if (!controller) return true;
    PriWrapper pri = controller.GetPRI();
    if (!pri) return true;
    if (pri.GetPartyLeaderID().str() == kNoPartyLeaderId) return true;

    controller = game.GetPlayerController();
    if (!controller) return false;
    pri = controller.GetPRI();
    if (!pri) return false;
    return pri.GetPartyLeaderID() == pri.GetUniqueIdWrapper();
}

} // namespace

void PostplayPlugin::_InitializeCore() {
    // Any player's MMR update counts, once the current game has a winner.
    mmrNotifierToken = gameWrapper->GetMMRWrapper().RegisterMMRNotifier(
        [this, alive = LifetimeToken()](const UniqueIDWrapper& /*player*/) {
            if (alive.expired()) return;
            RunGuarded("handling an MMR update", [this] {
                ServerWrapper server = GetCurrentServer(gameWrapper);
                if (!server) return;
                TeamWrapper winner = server.GetGameWinner();
                if (winner.IsNull() || winner.GetTeamNum() >= kTeamNumberBound) return;
                _ProcessMatchEnd(true);
            });
        });
    gameEventManager->OnMatchEnded([this] { _ProcessMatchEnd(false); });
    gameEventManager->OnGameEntered([this] {
        transitionPending = false;
        // Training destinations do not count: the load that follows a match end must not
        // void that match end's own re-queue.
        if (gameWrapper->IsInOnlineGame()) ++onlineGamesEntered;
    });
}

void PostplayPlugin::_ProcessMatchEnd(bool mmrUpdated) {
    if (!*enabled) return;
    if (!mmrUpdated && *waitMmr) return;

    ServerWrapper server = gameWrapper->GetCurrentGameState();
    if (server.IsNull()) return;
    const PlaylistClass playlistClass = ClassifyPlaylist(server.GetPlaylist().GetPlaylistId());
    if (playlistClass == PlaylistClass::Other) return;
    const bool classEnabled = playlistClass == PlaylistClass::Competitive ? *enableCompetitive : *enableCasual;
    if (!classEnabled) return;

    // Not guarded by transitionPending: repeated signals of one match end add re-queue
    // timers, which the queue callback's search test makes harmless.
    if (*autoRequeue) _HandleQueue(kExtraRequeueSeconds);
    _HandleTransition(kTransitionDelaySeconds);
}

void PostplayPlugin::_HandleTransition(float delaySeconds) {
    if (transitionPending) return;
    transitionPending = true;
    gameWrapper->SetTimeout(
        [this, alive = LifetimeToken()](GameWrapper*) {
            if (alive.expired()) return;
            RunGuarded("loading the training destination", [this] { _LoadTrainingDestination(); });
        },
        delaySeconds);
}

void PostplayPlugin::_HandleQueue(float extraSeconds) {
    if (!*autoRequeue) return;
    if (!gameWrapper->IsInGame() && !gameWrapper->IsInOnlineGame()) return;
    if (!PartyAllowsRequeue(*gameWrapper)) return;

    const float delay = static_cast<float>(requeueDelay->load()) + extraSeconds;
    // The re-queue belongs to this match end: once a later online match has been entered it
    // does nothing, and that match's own end sets a re-queue with its full delay. A count
    // of entered matches tells them apart; a game handle's address may differ for the same
    // match, or come back for another one.
    const std::uint64_t decidedInMatch = onlineGamesEntered;
    gameWrapper->SetTimeout(
        [this, alive = LifetimeToken(), decidedInMatch](GameWrapper* game) {
            if (alive.expired()) return;
            RunGuarded("starting the search", [this, game, decidedInMatch] {
                // Everything is read when the timer fires, not when it was set: the player
                // may have switched the plug-in or the re-queue off, started another match
                // or a search meanwhile.
                if (!*enabled || !*autoRequeue) return;
                if (onlineGamesEntered != decidedInMatch) return;
                GameWrapper& current = game ? *game : *gameWrapper;
                if (current.GetMatchmakingWrapper().IsSearching()) return;
                cvarManager->executeCommand(kQueueCommand, true);
            });
        },
        delay);
}

} // namespace postplay
