// A text handed out by the game; it may be absent (IsNull).
#pragma once

#include <string>

class UnrealStringWrapper {
public:
    UnrealStringWrapper(); // absent text
    explicit UnrealStringWrapper(std::string value);

    bool IsNull() const;
    std::string ToString() const; // empty when absent

private:
    bool present;
    std::string text;
};
