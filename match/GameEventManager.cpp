// STUB: replaced by the match-flow work.
#include "match/GameEventManager.h"
#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
GameEventManager::GameEventManager(std::shared_ptr<CVarManagerWrapper> c, std::shared_ptr<GameWrapper> g) : cvarManager(std::move(c)), gameWrapper(std::move(g)) {}
void GameEventManager::Initialize() {}
void GameEventManager::OnGameEntered(std::function<void()>) {}
void GameEventManager::OnGameLeft(std::function<void()>) {}
void GameEventManager::OnMatchEnded(std::function<void()>) {}
void GameEventManager::HandleGameEntered() {}
void GameEventManager::HandleGameLeft() {}
void GameEventManager::HandleMatchEnded() {}
