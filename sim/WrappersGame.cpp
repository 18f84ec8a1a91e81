// The game handles. A GameWrapper is keyed by its plug-in's owner id; game objects by keys
// the host hands out per game, so handles to a game that was left resolve to nothing.
#include <algorithm>

#include "sim/HostImpl.h"

using sim::CurrentImpl;
using sim::ImplFor;

void GameWrapper::HookEvent(std::string eventName, std::function<void(std::string)> callback) {
    auto* host = ImplFor(memory_address);
    if (!host || !callback) return;
    host->hooks.push_back(sim::Hook{sim::NewKey(), memory_address, std::move(eventName), std::move(callback)});
}

void GameWrapper::UnhookEvent(std::string eventName) {
    auto* host = ImplFor(memory_address);
    if (!host) return;
    auto& hooks = host->hooks;
    hooks.erase(std::remove_if(hooks.begin(), hooks.end(),
                               [&](const sim::Hook& hook) {
                                   return hook.owner == memory_address && hook.event == eventName;
                               }),
                hooks.end());
}

void GameWrapper::SetTimeout(std::function<void(GameWrapper*)> callback, float seconds) {
    auto* host = ImplFor(memory_address);
    if (host && callback) host->SchedulePluginCallback(std::move(callback), seconds);
}

void GameWrapper::Execute(std::function<void(GameWrapper*)> callback) {
    auto* host = ImplFor(memory_address);
    if (host && callback) host->SchedulePluginCallback(std::move(callback), 0.0f);
}

bool GameWrapper::IsInGame() {
    auto* host = ImplFor(memory_address);
    return host && host->game.place != sim::Place::Menu;
}

bool GameWrapper::IsInOnlineGame() {
    auto* host = ImplFor(memory_address);
    return host && host->game.place == sim::Place::Match;
}

ServerWrapper GameWrapper::GetOnlineGame() {
    return IsInOnlineGame() ? ServerWrapper(CurrentImpl()->game.serverKey) : ServerWrapper();
}

ServerWrapper GameWrapper::GetCurrentGameState() {
    return IsInGame() ? ServerWrapper(CurrentImpl()->game.serverKey) : ServerWrapper();
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
    if (!host || !NextAnswer(host->controllerAnswers)) return PlayerControllerWrapper();
    return PlayerControllerWrapper(host->controllerKey);
}

MatchmakingWrapper GameWrapper::GetMatchmakingWrapper() {
    auto* host = ImplFor(memory_address);
    return host ? MatchmakingWrapper(host->matchmakingKey) : MatchmakingWrapper();
}

MMRWrapper GameWrapper::GetMMRWrapper() {
    return ImplFor(memory_address) ? MMRWrapper(memory_address) : MMRWrapper();
}

UnrealStringWrapper GameWrapper::GetUILanguage() {
    auto* host = ImplFor(memory_address);
    if (!host || !host->uiLanguage) return UnrealStringWrapper();
    return UnrealStringWrapper(*host->uiLanguage);
}

std::string GameWrapper::GetDataFolder() {
    auto* host = ImplFor(memory_address);
    return host ? host->host.DataFolder().string() : std::string();
}

std::string GameWrapper::GetBakkesModPath() {
    auto* host = ImplFor(memory_address);
    return host ? host->host.Home().string() : std::string();
}

void GameWrapper::LoadToastTexture(std::string name, std::string path) {
    auto* host = ImplFor(memory_address);
    if (host) host->toastTextures[name] = std::move(path);
}

void GameWrapper::Toast(std::string title, std::string text, std::string texture, float timeout,
                        unsigned char toastType, float width, float height) {
    auto* host = ImplFor(memory_address);
    if (!host) return;
    host->Print("toast: " + title + ": " + text);
    host->toasts.push_back(sim::ToastRecord{std::move(title), std::move(text), std::move(texture), timeout, toastType,
                                            width, height});
}

// ---- Objects of the current game -------------------------------------------------------

namespace {
// The current game when `serverKey` names it.
const sim::Game* GameOf(std::uintptr_t serverKey) {
    auto* host = CurrentImpl();
    if (!host || serverKey == 0 || host->game.serverKey != serverKey) return nullptr;
    return &host->game;
}
} // namespace

GameSettingPlaylistWrapper ServerWrapper::GetPlaylist() {
    const sim::Game* game = GameOf(memory_address);
    return game && game->playlistKey ? GameSettingPlaylistWrapper(game->playlistKey) : GameSettingPlaylistWrapper();
}

TeamWrapper ServerWrapper::GetGameWinner() {
    const sim::Game* game = GameOf(memory_address);
    return game && game->winner ? TeamWrapper(game->winnerKey) : TeamWrapper();
}

int GameSettingPlaylistWrapper::GetPlaylistId() {
    auto* host = CurrentImpl();
    if (!host || IsNull() || host->game.playlistKey != memory_address) return -1;
    return host->game.playlistId;
}

unsigned char TeamWrapper::GetTeamNum() {
    auto* host = CurrentImpl();
    if (!host || IsNull() || host->game.winnerKey != memory_address || !host->game.winner) return 255;
    return *host->game.winner;
}

// ---- The local player ------------------------------------------------------------------

PriWrapper PlayerControllerWrapper::GetPRI() {
    auto* host = CurrentImpl();
    if (!host || IsNull() || memory_address != host->controllerKey || !NextAnswer(host->priAnswers))
        return PriWrapper();
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
    return UniqueIDWrapper(sim::PartyLeaderId(host->party));
}

bool MatchmakingWrapper::IsSearching() {
    auto* host = CurrentImpl();
    return host && !IsNull() && memory_address == host->matchmakingKey && host->searching;
}

// ---- MMR notifications -----------------------------------------------------------------

std::unique_ptr<MMRNotifierToken> MMRWrapper::RegisterMMRNotifier(std::function<void(UniqueIDWrapper)> callback) {
    auto* host = ImplFor(memory_address);
    if (!host || !callback) return std::make_unique<MMRNotifierToken>(0); // registers nothing
    const sim::Key id = sim::NewKey();
    host->mmrNotifiers.emplace(id, sim::MmrNotifier{memory_address, std::move(callback)});
    return std::make_unique<MMRNotifierToken>(id);
}

MMRNotifierToken::MMRNotifierToken(std::uint64_t tokenId) : id(tokenId) {}

MMRNotifierToken::~MMRNotifierToken() {
    if (auto* host = CurrentImpl(); host && id != 0) host->mmrNotifiers.erase(id);
}
