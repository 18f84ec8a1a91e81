// A player's unique id. A plain value: compares by its text form.
#pragma once

#include <string>

class UniqueIDWrapper {
public:
    UniqueIDWrapper();
    explicit UniqueIDWrapper(std::string text);

    std::string str() const;
    bool operator==(const UniqueIDWrapper& other) const;
    bool operator!=(const UniqueIDWrapper& other) const { return !(*this == other); }

private:
    std::string id;
};
