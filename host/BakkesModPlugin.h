// What a plug-in object is to the host: two handles filled before onLoad, and the
// load and unload calls. The host reaches it through the address that getPlugin returns.
#pragma once

#include <memory>

#include "CVarManagerWrapper.h"
#include "GameWrapper.h"

namespace BakkesMod::Plugin {

class BakkesModPlugin {
public:
    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;

    virtual void onLoad() = 0;
    virtual void onUnload() = 0;
};

} // namespace BakkesMod::Plugin
