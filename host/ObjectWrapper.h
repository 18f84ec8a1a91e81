// Base of the host's game-object handles: an opaque address that is 0 for "no object".
// A handle never owns what it names; the host resolves the address on every call, so a
// handle to an object that has gone away behaves like an empty one.
#pragma once

#include <cstdint>

class ObjectWrapper {
public:
    explicit ObjectWrapper(std::uintptr_t mem = 0) : memory_address(mem) {}

    bool IsNull() const { return memory_address == 0; }
    explicit operator bool() const { return !IsNull(); }

    std::uintptr_t memory_address;
};
