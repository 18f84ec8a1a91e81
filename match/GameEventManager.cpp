#include "match/GameEventManager.h"

#include <string>
#include <utility>

#include "base/EntryGuard.h"
#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"

namespace postplay {

namespace {

enum class Signal { Entered, Left, MatchEnded };

struct HookedFunction {
    const char* name;
    Signal signal;
};

// Hooked in this order.
constexpr HookedFunction kHookedFunctions[] = {
    {"Function TAGame.GameEvent_Soccar_TA.OnGameTimeUpdated", Signal::Entered},
    {"Function Engine.PlayerInput.InitInputSystem", Signal::Entered},
    {"Function TAGame.GameEvent_Soccar_TA.EventMatchEnded", Signal::MatchEnded},
    {"Function TAGame.GameEvent_TA.Destroyed", Signal::Left},
    {"Function Engine.PlayerController.NotifyDisconnect", Signal::Left},
    {"Function TAGame.GameEvent_Soccar_TA.OnMatchWinnerSet", Signal::MatchEnded},
};

// Runs a snapshot of the list, so a callback that subscribes another one cannot
// invalidate the callback that is running. A failing callback does not stop the others.
void RunEach(const std::vector<std::function<void()>>& callbacks, const char* what) {
    const auto snapshot = callbacks; // NOLINT(performance-unnecessary-copy-initialization): the copy is the point
    for (const auto& callback : snapshot) RunGuarded(what, callback);
}

} // namespace

GameEventManager::GameEventManager(std::shared_ptr<CVarManagerWrapper> cvarManager,
                                   std::shared_ptr<GameWrapper> gameWrapper)
    : cvarManager(std::move(cvarManager)), gameWrapper(std::move(gameWrapper)) {}

void GameEventManager::Initialize() {
    for (const HookedFunction& function : kHookedFunctions) {
        switch (function.signal) {
        case Signal::Entered:
            gameWrapper->HookEvent(function.name, [this](const std::string& /*eventName*/) { HandleGameEntered(); });
            break;
        case Signal::Left:
            gameWrapper->HookEvent(function.name, [this](const std::string& /*eventName*/) { HandleGameLeft(); });
            break;
        case Signal::MatchEnded:
            gameWrapper->HookEvent(function.name, [this](const std::string& /*eventName*/) { HandleMatchEnded(); });
            break;
        }
    }
}

void GameEventManager::OnGameEntered(std::function<void()> callback) {
    if (callback) onGameEnteredCallbacks.push_back(std::move(callback));
}

void GameEventManager::OnGameLeft(std::function<void()> callback) {
    if (callback) onGameLeftCallbacks.push_back(std::move(callback));
}

void GameEventManager::OnMatchEnded(std::function<void()> callback) {
    if (callback) onMatchEndedCallbacks.push_back(std::move(callback));
}

void GameEventManager::HandleGameEntered() {
    if (inGame) return;
    inGame = true;
    RunEach(onGameEnteredCallbacks, "a game-entered callback");
}

void GameEventManager::HandleGameLeft() {
    if (!inGame) return;
    inGame = false;
    RunEach(onGameLeftCallbacks, "a game-left callback");
}

void GameEventManager::HandleMatchEnded() { RunEach(onMatchEndedCallbacks, "a match-ended callback"); }

} // namespace postplay
