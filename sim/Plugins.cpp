// Attaching and detaching the plug-in object.
#include <algorithm>

#include "sim/HostImpl.h"

namespace sim {

using BakkesMod::Plugin::BakkesModPlugin;
using BakkesMod::Plugin::PluginSettingsWindow;

bool Host::LoadPlugin(BakkesMod::Plugin::GetPluginFunction getPlugin,
                      BakkesMod::Plugin::DeletePluginFunction deleteMe) {
    if (HasPlugin()) {
        d->Print("A plug-in is already loaded");
        return false;
    }
    d->lastGetPlugin = getPlugin;
    d->lastDeleteMe = deleteMe;
    BakkesModPlugin* object = nullptr;
    if (getPlugin) {
        // getPlugin answers the address of the library's shared_ptr to its plug-in object.
        d->CallPlugin([&] {
            auto* holder = reinterpret_cast<std::shared_ptr<BakkesModPlugin>*>( // NOLINT(performance-no-int-to-ptr)
                getPlugin());
            if (holder) object = holder->get();
        });
    }
    if (!object) {
        d->Print("The plug-in library gave no plug-in object");
        return false;
    }

    LoadedPlugin loaded;
    loaded.owner = NewKey();
    loaded.object = object;
    loaded.window = nullptr; // shown once onLoad has finished
    loaded.cvarManager = std::make_shared<CVarManagerWrapper>(loaded.owner);
    loaded.gameWrapper = std::make_shared<GameWrapper>(loaded.owner);
    object->cvarManager = loaded.cvarManager;
    object->gameWrapper = loaded.gameWrapper;
    {
        MutexLock lock(d->mutex);
        d->plugin = std::move(loaded);
        d->liveOwner = d->plugin->owner;
    }
    d->CallPlugin([object] { object->onLoad(); });
    // The page is drawn only from here on, so no frame sees a half-loaded plug-in.
    ExclusiveLock pageGone(d->pageLifetime);
    MutexLock lock(d->mutex);
    if (d->plugin && d->plugin->object == object) d->plugin->window = dynamic_cast<PluginSettingsWindow*>(object);
    return true;
}

void Host::UnloadPlugin() {
    d->StopRendering();
    if (!HasPlugin()) return;
    BakkesModPlugin* object = nullptr;
    Key owner = kHostOwner;
    {
        // Waits for a frame being drawn elsewhere (the window's main thread) to end; no
        // frame starts afterwards.
        ExclusiveLock pageGone(d->pageLifetime);
        MutexLock lock(d->mutex);
        object = d->plugin->object;
        owner = d->plugin->owner;
        d->plugin->window = nullptr;
    }
    d->CallPlugin([object] { object->onUnload(); });
    if (d->lastDeleteMe) d->CallPlugin([deleteMe = d->lastDeleteMe] { deleteMe(); });
    d->DropRegistrationsOf(owner);
    MutexLock lock(d->mutex);
    d->liveOwner = kHostOwner;
    d->plugin.reset();
}

bool Host::ReloadPlugin() {
    if (!d->lastGetPlugin) {
        d->Print("No plug-in to reload");
        return false;
    }
    const bool wasRendering = d->renderRunning;
    double framesPerSecond = 0.0;
    {
        MutexLock lock(d->render.mutex);
        framesPerSecond = d->render.framesPerSecond;
    }
    UnloadPlugin();
    const bool loaded = LoadPlugin(d->lastGetPlugin, d->lastDeleteMe);
    if (wasRendering) d->StartRendering(framesPerSecond);
    return loaded;
}

bool Host::HasPlugin() const {
    MutexLock lock(d->mutex);
    return d->plugin.has_value();
}

BakkesMod::Plugin::BakkesModPlugin* Host::Plugin() const {
    MutexLock lock(d->mutex);
    return d->plugin ? d->plugin->object : nullptr;
}

PluginSettingsWindow* Host::SettingsWindow() const { return d->PageWindow(); }

PluginSettingsWindow* Host::Impl::PageWindow() const {
    MutexLock lock(mutex);
    return plugin ? plugin->window : nullptr;
}

void Host::Impl::DropRegistrationsOf(Key owner) {
    MutexLock lock(mutex);
    if (std::any_of(hooks.begin(), hooks.end(), [owner](const Hook& hook) { return hook.owner == owner; }))
        ++hooksRemoved;
    hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [owner](const Hook& hook) { return hook.owner == owner; }),
                hooks.end());
    auto eraseOwned = [owner](auto& container) {
        for (auto it = container.begin(); it != container.end();)
            it = it->second.owner == owner ? container.erase(it) : std::next(it);
    };
    eraseOwned(timers);
    eraseOwned(notifiers);
    eraseOwned(mmrNotifiers);
    for (auto it = variables.begin(); it != variables.end();) {
        if (it->second.owner == owner) {
            variableNames.erase(it->second.key);
            it = variables.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace sim
