// The game model: where the player is, the match's life, hooks, MMR reports and the search.
#include <algorithm>

#include "sim/HostImpl.h"

namespace sim {

namespace {

constexpr const char* kPlayerId = "76561190000000001";
constexpr const char* kOtherLeaderId = "76561190000000002";

std::string PlaceText(const Game& game) {
    switch (game.place) {
    case Place::Menu: return "menu";
    case Place::Match: return "match " + std::to_string(game.playlistId) + (game.ended ? " ended" : "");
    case Place::FreePlay: return "freeplay";
    case Place::Training: return "training " + game.detail;
    case Place::Workshop: return "workshop " + game.detail;
    }
    return "menu";
}

Game NewGame(Place place) {
    Game game;
    game.place = place;
    game.serverKey = NewKey();
    return game;
}

} // namespace

void Host::Impl::FireHook(const std::string& event) {
    // Hooks added by these callbacks wait for the next call; removed ones are skipped.
    std::vector<Key> ids;
    for (const Hook& hook : hooks)
        if (hook.event == event) ids.push_back(hook.id);
    for (Key id : ids) {
        auto hook = std::find_if(hooks.begin(), hooks.end(), [id](const Hook& h) { return h.id == id; });
        if (hook == hooks.end()) continue;
        auto callback = hook->callback;
        CallPlugin([&] { callback(event); });
    }
}

void Host::Impl::LeaveGame() {
    if (game.place == Place::Menu) return;
    const Key leaving = game.serverKey;
    FireHook(hooks::kGameDestroyed);
    if (game.serverKey == leaving) game = Game{};
}

void Host::Impl::EnterGame(Game next, const std::string& line) {
    LeaveGame();
    game = std::move(next);
    const Key entered = game.serverKey;
    Print(line);
    FireHook(hooks::kInputSystemStarted);
    if (game.place == Place::Match && game.serverKey == entered) ScheduleMatchClock(entered);
}

// The running match reports its game time every whole second after its start.
void Host::Impl::ScheduleMatchClock(Key serverKey) {
    Schedule(kHostOwner, 1.0, [this, serverKey] {
        if (game.serverKey != serverKey || game.ended) return;
        ScheduleMatchClock(serverKey);
        FireHook(hooks::kGameTimeUpdated);
    }, false);
}

void Host::StartMatch(int playlistId) {
    d->searching = false;
    Game match = NewGame(Place::Match);
    match.playlistKey = NewKey();
    match.winnerKey = NewKey();
    match.playlistId = playlistId;
    d->EnterGame(std::move(match), "Entered match in playlist " + std::to_string(playlistId));
}

void Host::EndMatch(unsigned char winnerTeam) {
    if (d->game.place != Place::Match || d->game.ended) {
        d->Print("sim_end: no running match");
        return;
    }
    const Key match = d->game.serverKey;
    d->game.winner = winnerTeam;
    d->Print("Match ended; winner: team " + std::to_string(winnerTeam));
    d->FireHook(hooks::kMatchWinnerSet);
    if (d->game.serverKey == match) {
        d->game.ended = true;
        d->FireHook(hooks::kMatchEnded);
    }
    if (d->mmrDelay) d->Schedule(kHostOwner, *d->mmrDelay, [this] { ReportMmr(); });
}

void Host::ReportMmr(std::optional<std::string> playerId) {
    const std::string id = playerId.value_or(kPlayerId);
    d->Print("MMR updated for player " + id);
    std::vector<Key> tokens;
    for (const auto& entry : d->mmrNotifiers) tokens.push_back(entry.first);
    for (Key token : tokens) {
        auto notifier = d->mmrNotifiers.find(token);
        if (notifier == d->mmrNotifiers.end()) continue;
        auto callback = notifier->second.callback;
        d->CallPlugin([&] { callback(UniqueIDWrapper(id)); });
    }
}

void Host::SetMmrDelay(std::optional<double> seconds) { d->mmrDelay = seconds; }

void Host::SetParty(Party party) {
    d->party = party;
    static const char* const names[] = {"none", "leader", "member"};
    d->Print(std::string("Party: ") + names[static_cast<int>(party)]);
}

void Host::GoToMenu() {
    d->LeaveGame();
    d->Print("Back to the menu");
}

void Host::Disconnect() {
    d->Print("Connection lost");
    d->FireHook(hooks::kDisconnected);
    GoToMenu();
}

void Host::EnterFreePlay() { d->EnterGame(NewGame(Place::FreePlay), "Entered free play"); }

void Host::EnterTraining(const std::string& code) {
    Game training = NewGame(Place::Training);
    training.detail = code;
    d->EnterGame(std::move(training), "Entered training pack " + code);
}

bool Host::EnterWorkshop(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(ToFsPath(path), error)) {
        d->Print("No such workshop map file: " + path);
        return false;
    }
    Game workshop = NewGame(Place::Workshop);
    workshop.detail = path;
    d->EnterGame(std::move(workshop), "Entered workshop map " + path);
    return true;
}

void Host::StartSearch() {
    if (d->searching) return;
    d->searching = true;
    d->Print("Searching for a match");
}

void Host::SetUiLanguage(std::optional<std::string> code) { d->uiLanguage = std::move(code); }

void Host::PressKey(const std::string& key) {
    auto bind = d->binds.find(key);
    if (bind == d->binds.end()) {
        d->Print("No bind for key " + key);
        return;
    }
    const std::string command = bind->second; // the bound command may rebind the key
    RunLine(command);
}

std::string Host::Status() const {
    return "game: " + PlaceText(d->game) + "; search: " + (d->searching ? "on" : "off");
}

Place Host::CurrentPlace() const { return d->game.place; }
bool Host::IsSearching() const { return d->searching; }
std::string Host::PlayerId() const { return kPlayerId; }

std::string PartyLeaderId(Party party) {
    switch (party) {
    case Party::None: return "0";
    case Party::Leader: return kPlayerId;
    case Party::Member: return kOtherLeaderId;
    }
    return "0";
}

} // namespace sim
