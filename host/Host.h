// Everything a plug-in may use of its host, in one include.
#pragma once

#include "BakkesModPlugin.h"
#include "CVarManagerWrapper.h"
#include "CVarWrapper.h"
#include "GameWrapper.h"
#include "MMRWrapper.h"
#include "MatchmakingWrapper.h"
#include "PlayerControllerWrapper.h"
#include "PluginInfo.h"
#include "PluginSettingsWindow.h"
#include "ServerWrapper.h"
#include "UniqueIDWrapper.h"
#include "UnrealStringWrapper.h"
