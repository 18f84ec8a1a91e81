// The local player's controller and replication info (party membership, unique id).
#pragma once

#include "ObjectWrapper.h"
#include "UniqueIDWrapper.h"

class PlayerReplicationInfoWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;
    UniqueIDWrapper GetUniqueIdWrapper();
};

class PriWrapper : public PlayerReplicationInfoWrapper {
public:
    using PlayerReplicationInfoWrapper::PlayerReplicationInfoWrapper;
    UniqueIDWrapper GetPartyLeaderID(); // text "0" when the player is in no party
};

class PlayerControllerWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;
    PriWrapper GetPRI();
};
