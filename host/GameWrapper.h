// The game: state queries, hooks on game functions, timers and jobs on the game thread,
// toasts and the host's folders. One instance per loaded plug-in; hooks and timers
// registered through it belong to that plug-in and are dropped when it is unloaded.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "MMRWrapper.h"
#include "MatchmakingWrapper.h"
#include "ObjectWrapper.h"
#include "PlayerControllerWrapper.h"
#include "ServerWrapper.h"
#include "UnrealStringWrapper.h"

class GameWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    // Runs the callback (with the function's name) each time the game function runs.
    void HookEvent(std::string eventName, std::function<void(std::string eventName)> callback);
    void UnhookEvent(std::string eventName);

    // Runs the callback once, `seconds` later; never inside this call (0 means the next step).
    void SetTimeout(std::function<void(GameWrapper*)> callback, float seconds);
    // Runs the callback once on the game thread, at the next step; never inside this call.
    void Execute(std::function<void(GameWrapper*)> callback);

    bool IsInGame();                     // any game: match, free play, training, workshop
    bool IsInOnlineGame();               // an online match, ended or not, until it is left
    ServerWrapper GetOnlineGame();       // empty outside an online match
    ServerWrapper GetCurrentGameState(); // the current game of any kind; empty in the menu

    PlayerControllerWrapper GetPlayerController();
    MatchmakingWrapper GetMatchmakingWrapper();
    MMRWrapper GetMMRWrapper();
    UnrealStringWrapper GetUILanguage(); // absent when the game reports no language

    std::filesystem::path GetDataFolder();    // the host's data folder
    std::filesystem::path GetBakkesModPath(); // the host's own folder

    void LoadToastTexture(std::string name, std::string path);
    void Toast(std::string title, std::string text, std::string texture = "default", float timeout = 3.5f,
               unsigned char toastType = 0, float width = 290.0f, float height = 60.0f);
};
