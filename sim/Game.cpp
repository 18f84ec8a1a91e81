// The game model: where the player is, the match's life, hooks, MMR reports and the search.
#include <algorithm>

#include "sim/HostHelp.h"
#include "sim/HostImpl.h"

namespace sim {

namespace {

constexpr const char* kPlayerId = "76561190000000001";
constexpr const char* kOtherLeaderId = "76561190000000002";

std::string PlaceText(const Game& game) {
    switch (game.place) {
    case Place::Menu:
        return "menu";
    case Place::Match:
        return "match " + std::to_string(game.playlistId) + (game.ended ? " ended" : "");
    case Place::FreePlay:
        return "freeplay";
    case Place::Training:
        return "training " + game.detail;
    case Place::Workshop:
        return "workshop " + game.detail;
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
    // Hooks added by these callbacks wait for the next call; removed ones are skipped. The
    // usual one or two hooks of an event are collected without allocating.
    struct DueHook {
        Key id = 0;
        HookCallback callback;
    };
    constexpr std::size_t kInline = 4;
    DueHook inlineDue[kInline];
    std::vector<DueHook> moreDue;
    std::size_t count = 0;
    std::uint64_t removedBefore = 0;
    {
        MutexLock lock(mutex);
        removedBefore = hooksRemoved;
        for (const Hook& hook : hooks) {
            if (hook.event != event) continue;
            if (count < kInline)
                inlineDue[count] = DueHook{hook.id, hook.callback};
            else
                moreDue.push_back(DueHook{hook.id, hook.callback});
            ++count;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const DueHook& due = i < kInline ? inlineDue[i] : moreDue[i - kInline];
        if (i > 0) {
            MutexLock lock(mutex);
            if (hooksRemoved != removedBefore &&
                std::none_of(hooks.begin(), hooks.end(), [&](const Hook& h) { return h.id == due.id; }))
                continue;
        }
        CallPlugin([&] { (*due.callback)(event); });
    }
}

Key Host::Impl::CurrentServerKey() const {
    MutexLock lock(mutex);
    return game.serverKey;
}

void Host::Impl::LeaveGame() {
    Key leaving = 0;
    {
        MutexLock lock(mutex);
        if (game.place == Place::Menu) return;
        leaving = game.serverKey;
    }
    FireHook(hooks::kGameDestroyed);
    MutexLock lock(mutex);
    if (game.serverKey == leaving) game = Game{};
}

void Host::Impl::EnterGame(Game next, const std::string& line) {
    LeaveGame();
    const Key entered = next.serverKey;
    const bool isMatch = next.place == Place::Match;
    {
        MutexLock lock(mutex);
        game = std::move(next);
    }
    Print(line);
    FireHook(hooks::kInputSystemStarted);
    if (isMatch && CurrentServerKey() == entered) ScheduleMatchClock(entered);
}

// The running match reports its game time every whole second after its start.
void Host::Impl::ScheduleMatchClock(Key serverKey) {
    MutexLock lock(mutex);
    ScheduleMatchClockLocked(serverKey);
}

void Host::Impl::ScheduleMatchClockLocked(Key serverKey) {
    ScheduleLocked(
        kHostOwner, 1.0,
        [this, serverKey] {
            {
                MutexLock lock(mutex);
                if (game.serverKey != serverKey || game.ended) return;
                ScheduleMatchClockLocked(serverKey);
            }
            FireHook(hooks::kGameTimeUpdated);
        },
        false);
}

void Host::StartMatch(int playlistId) {
    {
        MutexLock lock(d->mutex);
        d->searching = false;
    }
    Game match = NewGame(Place::Match);
    match.playlistKey = NewKey();
    match.winnerKey = NewKey();
    match.playlistId = playlistId;
    d->EnterGame(std::move(match), "Entered match in playlist " + std::to_string(playlistId));
}

void Host::EndMatch(unsigned char winnerTeam) {
    MutexLock lock(d->mutex);
    if (d->game.place != Place::Match || d->game.ended) {
        lock.Unlock();
        d->Print("sim_end: no running match");
        return;
    }
    const Key match = d->game.serverKey;
    d->game.winner = winnerTeam;
    const std::optional<double> mmrDelay = d->mmrDelay;
    lock.Unlock();
    d->Print("Match ended; winner: team " + std::to_string(winnerTeam));
    d->FireHook(hooks::kMatchWinnerSet);
    lock.Lock();
    const bool stillThisMatch = d->game.serverKey == match;
    if (stillThisMatch) d->game.ended = true;
    lock.Unlock();
    if (stillThisMatch) d->FireHook(hooks::kMatchEnded);
    if (mmrDelay) d->Schedule(kHostOwner, *mmrDelay, [this] { ReportMmr(); });
}

void Host::ReportMmr(const std::optional<std::string>& playerId) {
    const std::string id = playerId.value_or(kPlayerId);
    d->Print("MMR updated for player " + id);
    std::vector<Key> tokens;
    {
        MutexLock lock(d->mutex);
        for (const auto& entry : d->mmrNotifiers) tokens.push_back(entry.first);
    }
    for (Key token : tokens) {
        std::function<void(UniqueIDWrapper)> callback;
        {
            MutexLock lock(d->mutex);
            auto notifier = d->mmrNotifiers.find(token);
            if (notifier == d->mmrNotifiers.end()) continue;
            callback = notifier->second.callback;
        }
        d->CallPlugin([&] { callback(UniqueIDWrapper(id)); });
    }
}

void Host::SetMmrDelay(std::optional<double> seconds) {
    MutexLock lock(d->mutex);
    d->mmrDelay = seconds;
}

void Host::SetParty(Party party) {
    {
        MutexLock lock(d->mutex);
        d->party = party;
    }
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
    {
        MutexLock lock(d->mutex);
        if (d->searching) return;
        d->searching = true;
    }
    d->Print("Searching for a match");
}

void Host::SetUiLanguage(std::optional<std::string> code) {
    MutexLock lock(d->mutex);
    d->uiLanguage = std::move(code);
}

void Host::PressKey(const std::string& key) {
    MutexLock lock(d->mutex);
    auto bind = d->binds.find(key);
    if (bind == d->binds.end()) {
        lock.Unlock();
        d->Print("No bind for key " + EscapeControls(key));
        return;
    }
    const std::string command = bind->second; // the bound command may rebind the key
    lock.Unlock();
    RunLine(command);
}

std::string Host::Status() const {
    MutexLock lock(d->mutex);
    return "game: " + PlaceText(d->game) + "; search: " + (d->searching ? "on" : "off");
}

Place Host::CurrentPlace() const {
    MutexLock lock(d->mutex);
    return d->game.place;
}

bool Host::IsSearching() const {
    MutexLock lock(d->mutex);
    return d->searching;
}

std::string Host::PlayerId() const { return kPlayerId; }

std::string PartyLeaderId(Party party) {
    switch (party) {
    case Party::None:
        return "0";
    case Party::Leader:
        return kPlayerId;
    case Party::Member:
        return kOtherLeaderId;
    }
    return "0";
}

} // namespace sim
