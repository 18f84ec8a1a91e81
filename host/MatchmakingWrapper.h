// The matchmaking search.
#pragma once

#include "ObjectWrapper.h"

class MatchmakingWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;
    bool IsSearching();
};
