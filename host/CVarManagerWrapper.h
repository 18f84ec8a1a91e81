// The host console: console variables, commands (notifiers), key binds and the log.
// One instance per loaded plug-in; everything registered through it belongs to that plug-in.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "CVarWrapper.h"
#include "ObjectWrapper.h"

class CVarManagerWrapper : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    // Returns an empty handle when the host refuses the name. Registering a name that
    // already exists returns the existing variable unchanged.
    CVarWrapper registerCvar(std::string name, std::string defaultValue, std::string description = "",
                             bool searchable = true, bool hasMin = false, float min = 0.0f, bool hasMax = false,
                             float max = 0.0f, bool saveToCfg = true);
    CVarWrapper getCvar(std::string name); // empty handle if no such variable
    bool removeCvar(std::string name);

    // The callback receives the command's words, the command name first.
    void registerNotifier(std::string name, std::function<void(std::vector<std::string>)> callback,
                          std::string description, unsigned char permissions);
    bool removeNotifier(std::string name);

    // Runs a console line; with `log` true the line is echoed to the console first.
    void executeCommand(std::string command, bool log = true);
    void log(std::string text);     // one console line, verbatim
    void loadCfg(std::string path); // runs a file's lines, without echo

    void setBind(std::string key, std::string command);
    void removeBind(std::string key);
    std::string getBindStringForKey(std::string key); // empty when the key has no bind
};
