// Plain value types of the host interface.
#include "host/UniqueIDWrapper.h"
#include "host/UnrealStringWrapper.h"

UniqueIDWrapper::UniqueIDWrapper() = default;
UniqueIDWrapper::UniqueIDWrapper(std::string text) : id(std::move(text)) {}
std::string UniqueIDWrapper::str() const { return id; }
bool UniqueIDWrapper::operator==(const UniqueIDWrapper& other) const { return id == other.id; }

UnrealStringWrapper::UnrealStringWrapper() : present(false) {}
UnrealStringWrapper::UnrealStringWrapper(std::string value) : present(true), text(std::move(value)) {}
bool UnrealStringWrapper::IsNull() const { return !present; }
std::string UnrealStringWrapper::ToString() const { return present ? text : std::string(); }
