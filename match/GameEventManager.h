// Turns six hooked game functions into three notifications: a game was entered, a game
// was left, a match ended. Entered and left fire only on a change of state; match ended
// fires on every signal (a match end normally gives two).
#pragma once

#include <functional>
#include <memory>
#include <vector>

class CVarManagerWrapper;
class GameWrapper;

namespace postplay {

class GameEventManager {
public:
    GameEventManager(std::shared_ptr<CVarManagerWrapper> cvarManager, std::shared_ptr<GameWrapper> gameWrapper);

    // Hooks the six game functions. The hooks hold a plain pointer to this manager.
    void Initialize();

    void OnGameEntered(std::function<void()> callback);
    void OnGameLeft(std::function<void()> callback);
    void OnMatchEnded(std::function<void()> callback);

    bool IsInGame() const { return inGame; }

private:
    void HandleGameEntered();
    void HandleGameLeft();
    void HandleMatchEnded();

    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;
    std::vector<std::function<void()>> onGameEnteredCallbacks;
    std::vector<std::function<void()>> onGameLeftCallbacks;
    std::vector<std::function<void()>> onMatchEndedCallbacks;
    bool inGame = false;
};

} // namespace postplay
