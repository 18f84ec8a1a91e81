// MMR updates. A notifier stays registered while its token lives; destroying the token
// unregisters it (harmless when the host has already dropped it).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "ObjectWrapper.h"
#include "UniqueIDWrapper.h"

class MMRNotifierToken {
public:
    explicit MMRNotifierToken(std::uint64_t id);
    ~MMRNotifierToken();
    MMRNotifierToken(const MMRNotifierToken&) = delete;
    MMRNotifierToken& operator=(const MMRNotifierToken&) = delete;

private:
    std::uint64_t id;
};

class MMRWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;
    // The callback receives the id of the player whose MMR changed.
    std::unique_ptr<MMRNotifierToken> RegisterMMRNotifier(std::function<void(UniqueIDWrapper)> callback);
};
