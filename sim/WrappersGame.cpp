// The game handles. A GameWrapper is keyed by its plug-in's owner id; game objects by keys
// the host hands out per game, so handles to a game that was left resolve to nothing.
#include <algorithm>

#include "sim/HostImpl.h"

using sim::CurrentImpl;
using sim::ImplFor;

// The host interface takes its texts by value, as the game's own interface does.
// NOLINTBEGIN(performance-unnecessary-value-param)

void GameWrapper::HookEvent(std::string eventName, std::function<void(std::string)> callback) {
    auto* host = ImplFor(memory_address);
    if (!host || !callback) return;
    auto shared = std::make_shared<const std::function<void(std::string)>>(std::move(callback));
    MutexLock lock(host->mutex);
    host->hooks.push_back(sim::Hook{sim::NewKey(), memory_address, std::move(eventName), std::move(shared)});
}

void GameWrapper::UnhookEvent(std::string eventName) {
    auto* host = ImplFor(memory_address);
    if (!host) return;
    MutexLock lock(host->mutex);
    ++host->hooksRemoved;
    auto& hooks = host->hooks;
    hooks.erase(
        std::remove_if(hooks.begin(), hooks.end(),
                       [&](const sim::Hook& hook) { return hook.owner == memory_address && hook.event == eventName; }),
        hooks.end());
}

void GameWrapper::SetTimeout(std::function<void(GameWrapper*)> callback, float seconds) {
    auto* host = ImplFor(memory_address);
    if (host && callback) host->SchedulePluginCallback(memory_address, std::move(callback), seconds);
}

void GameWrapper::Execute(std::function<void(GameWrapper*)> callback) {
    auto* host = ImplFor(memory_address);
    if (host && callback) host->SchedulePluginCallback(memory_address, std::move(callback), 0.0f);
}

namespace {
// The current game's server key when `owner` is live and the game is `wanted` (any game
// when `onlineOnly` is false), else 0.
sim::Key CurrentServer(sim::Key owner, bool onlineOnly) {
    auto* host = ImplFor(owner);
    if (!host) return 0;
    MutexLock lock(host->mutex);
    const sim::Place place = host->game.place;
    const bool wanted = onlineOnly ? place == sim::Place::Match : place != sim::Place::Menu;
    return wanted ? host->game.serverKey : 0;
}
} // namespace

bool GameWrapper::IsInGame() { return CurrentServer(memory_address, false) != 0; }

bool GameWrapper::IsInOnlineGame() { return CurrentServer(memory_address, true) != 0; }

ServerWrapper GameWrapper::GetOnlineGame() {
    const sim::Key server = CurrentServer(memory_address, true);
    return server ? ServerWrapper(server) : ServerWrapper();
}

ServerWrapper GameWrapper::GetCurrentGameState() {
    const sim::Key server = CurrentServer(memory_address, false);
    return server ? ServerWrapper(server) : ServerWrapper();
}

namespace {
// The next scripted answer of a lookup, or "present" when none is scripted.
bool NextAnswer(std::deque<bool>& answers) {
    if (answers.empty()) return true;
    const bool present = answers.front();
    answers.pop_front();
    return present;
}
} // namespace

PlayerControllerWrapper GameWrapper::GetPlayerController() {
    auto* host = ImplFor(memory_address);
    if (!host) return PlayerControllerWrapper();
    MutexLock lock(host->mutex);
    if (!NextAnswer(host->controllerAnswers)) return PlayerControllerWrapper();
    return PlayerControllerWrapper(host->controllerKey);
}

MatchmakingWrapper GameWrapper::GetMatchmakingWrapper() {
    auto* host = ImplFor(memory_address);
    return host ? MatchmakingWrapper(host->matchmakingKey) : MatchmakingWrapper();
}

MMRWrapper GameWrapper::GetMMRWrapper() { return ImplFor(memory_address) ? MMRWrapper(memory_address) : MMRWrapper(); }

UnrealStringWrapper GameWrapper::GetUILanguage() {
    auto* host = ImplFor(memory_address);
    if (!host) return UnrealStringWrapper();
    MutexLock lock(host->mutex);
    if (!host->uiLanguage) return UnrealStringWrapper();
    return UnrealStringWrapper(*host->uiLanguage);
}

std::filesystem::path GameWrapper::GetDataFolder() {
    auto* host = ImplFor(memory_address);
    return host ? host->host.DataFolder() : std::filesystem::path();
}

std::filesystem::path GameWrapper::GetBakkesModPath() {
    auto* host = ImplFor(memory_address);
    return host ? host->host.Home() : std::filesystem::path();
}

void GameWrapper::LoadToastTexture(std::string name, std::string path) {
    auto* host = ImplFor(memory_address);
    if (!host) return;
    MutexLock lock(host->mutex);
    host->toastTextures[name] = std::move(path);
}

void GameWrapper::Toast(std::string title, std::string text, std::string texture, float timeout,
                        unsigned char toastType, float width, float height) {
    auto* host = ImplFor(memory_address);
    if (!host) return;
    host->Print("toast: " + title + ": " + text);
    MutexLock lock(host->mutex);
    host->toasts.push_back(
        sim::ToastRecord{std::move(title), std::move(text), std::move(texture), timeout, toastType, width, height});
}

// ---- Objects of the current game -------------------------------------------------------

namespace {
// A copy of the current game, taken under the host's lock; nullopt without a host.
std::optional<sim::Game> CurrentGame() {
    auto* host = CurrentImpl();
    if (!host) return std::nullopt;
    MutexLock lock(host->mutex);
    return host->game;
}

// The current game when `serverKey` names it.
std::optional<sim::Game> GameOf(std::uintptr_t serverKey) {
    std::optional<sim::Game> game = CurrentGame();
    if (!game || serverKey == 0 || game->serverKey != serverKey) return std::nullopt;
    return game;
}
} // namespace

GameSettingPlaylistWrapper ServerWrapper::GetPlaylist() {
    const std::optional<sim::Game> game = GameOf(memory_address);
    return game && game->playlistKey ? GameSettingPlaylistWrapper(game->playlistKey) : GameSettingPlaylistWrapper();
}

TeamWrapper ServerWrapper::GetGameWinner() {
    const std::optional<sim::Game> game = GameOf(memory_address);
    return game && game->winner ? TeamWrapper(game->winnerKey) : TeamWrapper();
}

int GameSettingPlaylistWrapper::GetPlaylistId() {
    const std::optional<sim::Game> game = CurrentGame();
    if (!game || IsNull() || game->playlistKey != memory_address) return -1;
    return game->playlistId;
}

unsigned char TeamWrapper::GetTeamNum() {
    const std::optional<sim::Game> game = CurrentGame();
    if (!game || IsNull() || game->winnerKey != memory_address || !game->winner) return 255;
    return *game->winner;
}

// ---- The local player ------------------------------------------------------------------

PriWrapper PlayerControllerWrapper::GetPRI() {
    auto* host = CurrentImpl();
    if (!host || IsNull() || memory_address != host->controllerKey) return PriWrapper();
    MutexLock lock(host->mutex);
    if (!NextAnswer(host->priAnswers)) return PriWrapper();
    return PriWrapper(host->priKey);
}

UniqueIDWrapper PlayerReplicationInfoWrapper::GetUniqueIdWrapper() {
    auto* host = CurrentImpl();
    if (!host || IsNull() || memory_address != host->priKey) return UniqueIDWrapper();
    return UniqueIDWrapper(host->host.PlayerId());
}

UniqueIDWrapper PriWrapper::GetPartyLeaderID() {
    auto* host = CurrentImpl();
    if (!host || IsNull() || memory_address != host->priKey) return UniqueIDWrapper();
    MutexLock lock(host->mutex);
    return UniqueIDWrapper(sim::PartyLeaderId(host->party));
}

bool MatchmakingWrapper::IsSearching() {
    auto* host = CurrentImpl();
    if (!host || IsNull() || memory_address != host->matchmakingKey) return false;
    MutexLock lock(host->mutex);
    return host->searching;
}

// ---- MMR notifications -----------------------------------------------------------------

std::unique_ptr<MMRNotifierToken> MMRWrapper::RegisterMMRNotifier(std::function<void(UniqueIDWrapper)> callback) {
    auto* host = ImplFor(memory_address);
    if (!host || !callback) return std::make_unique<MMRNotifierToken>(0); // registers nothing
    const sim::Key id = sim::NewKey();
    MutexLock lock(host->mutex);
    host->mmrNotifiers.emplace(id, sim::MmrNotifier{memory_address, std::move(callback)});
    return std::make_unique<MMRNotifierToken>(id);
}

MMRNotifierToken::MMRNotifierToken(std::uint64_t tokenId) : id(tokenId) {}

MMRNotifierToken::~MMRNotifierToken() {
    auto* host = CurrentImpl();
    if (!host || id == 0) return;
    MutexLock lock(host->mutex);
    host->mmrNotifiers.erase(id);
}
// NOLINTEND(performance-unnecessary-value-param)
