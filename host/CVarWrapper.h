// A console variable. Empty (IsNull) when no such variable exists or it has been removed.
#pragma once

#include <functional>
#include <string>

#include "ObjectWrapper.h"

class CVarWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    std::string getCVarName();
    std::string getDescription();
    std::string getStringValue();
    int getIntValue(); // the value read as a number, truncated
    float getFloatValue();
    bool getBoolValue(); // getIntValue() != 0

    // Stores the value (clamped to the variable's range, if it has one) and, when the
    // stored text changed, runs the value-changed callbacks before returning.
    void setValue(std::string value);
    void setValue(int value);
    void setValue(float value);

    // The callback receives the previous value text and the variable.
    void addOnValueChanged(std::function<void(std::string, CVarWrapper)> callback);
};
