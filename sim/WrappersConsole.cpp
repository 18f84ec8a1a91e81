// The console handles: CVarManagerWrapper (one per loaded plug-in, keyed by its owner id)
// and CVarWrapper (keyed by the variable). Handles of an unloaded plug-in or of a removed
// variable do nothing and answer with defaults.
#include <charconv>

#include "host/ConsoleText.h"
#include "sim/HostImpl.h"

using sim::CurrentImpl;
using sim::ImplFor;

// The host interface takes its texts by value, as the game's own interface does.
// NOLINTBEGIN(performance-unnecessary-value-param)

CVarWrapper CVarManagerWrapper::registerCvar(std::string name, std::string defaultValue, std::string description,
                                             bool searchable, bool hasMin, float min, bool hasMax, float max,
                                             bool saveToCfg) {
    auto* host = ImplFor(memory_address);
    if (!host) return CVarWrapper();
    {
        MutexLock lock(host->mutex);
        host->cvarRegistrations.push_back(
            sim::CvarRegistration{name, defaultValue, description, searchable, hasMin, min, hasMax, max, saveToCfg});
    }
    return host->RegisterVariable(memory_address, name, defaultValue, description, hasMin, min, hasMax, max);
}

CVarWrapper CVarManagerWrapper::getCvar(std::string name) {
    auto* host = ImplFor(memory_address);
    if (!host) return CVarWrapper();
    MutexLock lock(host->mutex);
    auto found = host->variables.find(name);
    return found == host->variables.end() ? CVarWrapper() : CVarWrapper(found->second.key);
}

bool CVarManagerWrapper::removeCvar(std::string name) {
    auto* host = ImplFor(memory_address);
    if (!host) return false;
    MutexLock lock(host->mutex);
    auto found = host->variables.find(name);
    if (found == host->variables.end() || found->second.owner != memory_address) return false;
    host->variableNames.erase(found->second.key);
    host->variables.erase(found);
    return true;
}

void CVarManagerWrapper::registerNotifier(std::string name, std::function<void(std::vector<std::string>)> callback,
                                          std::string description, unsigned char permissions) {
    auto* host = ImplFor(memory_address);
    if (!host) return;
    MutexLock lock(host->mutex);
    host->notifierRegistrations.push_back(sim::NotifierRegistration{name, description, permissions});
    if (name.empty() || !callback) return;
    auto shared = std::make_shared<const std::function<void(std::vector<std::string>)>>(std::move(callback));
    host->notifiers[name] = sim::Notifier{memory_address, std::move(shared), std::move(description)};
}

bool CVarManagerWrapper::removeNotifier(std::string name) {
    auto* host = ImplFor(memory_address);
    if (!host) return false;
    MutexLock lock(host->mutex);
    auto found = host->notifiers.find(name);
    if (found == host->notifiers.end() || found->second.owner != memory_address) return false;
    host->notifiers.erase(found);
    return true;
}

void CVarManagerWrapper::executeCommand(std::string command, bool log) {
    auto* host = ImplFor(memory_address);
    if (!host) return;
    if (log) host->Print("> " + EscapeControls(command));
    host->host.RunLine(command);
}

void CVarManagerWrapper::log(std::string text) {
    // Lines logged through a handle kept past its plug-in's unload are still shown: losing
    // them would hide what the plug-in did while going away.
    auto* host = CurrentImpl();
    if (host && !IsNull()) host->Print(std::move(text));
}

void CVarManagerWrapper::loadCfg(std::string path) {
    auto* host = ImplFor(memory_address);
    if (host) host->host.LoadCfg(sim::NarrowTextToPath(path));
}

void CVarManagerWrapper::setBind(std::string key, std::string command) {
    auto* host = ImplFor(memory_address);
    if (!host || key.empty()) return;
    {
        MutexLock lock(host->mutex);
        host->binds[key] = std::move(command);
    }
    host->SaveBinds();
}

void CVarManagerWrapper::removeBind(std::string key) {
    auto* host = ImplFor(memory_address);
    if (!host) return;
    {
        MutexLock lock(host->mutex);
        if (host->binds.erase(key) == 0) return;
    }
    host->SaveBinds();
}

std::string CVarManagerWrapper::getBindStringForKey(std::string key) {
    auto* host = ImplFor(memory_address);
    if (!host) return {};
    MutexLock lock(host->mutex);
    auto found = host->binds.find(key);
    return found == host->binds.end() ? std::string() : found->second;
}

// ---- CVarWrapper ------------------------------------------------------------------------

namespace {
// Reads the variable of `key` under the host's lock; `fallback` when there is none.
template <class Read, class Result>
Result ReadVariable(std::uintptr_t key, Read read, Result fallback) {
    auto* host = CurrentImpl();
    if (!host || key == 0) return fallback;
    MutexLock lock(host->mutex);
    const sim::Variable* variable = host->FindVariableLocked(key);
    return variable ? read(*variable) : fallback;
}
} // namespace

std::string CVarWrapper::getCVarName() {
    return ReadVariable(
        memory_address, [](const sim::Variable& v) { return v.name; }, std::string());
}

std::string CVarWrapper::getDescription() {
    return ReadVariable(
        memory_address, [](const sim::Variable& v) { return v.description; }, std::string());
}

std::string CVarWrapper::getStringValue() {
    return ReadVariable(
        memory_address, [](const sim::Variable& v) { return v.value; }, std::string());
}

int CVarWrapper::getIntValue() {
    return ReadVariable(
        memory_address, [](const sim::Variable& v) { return sim::TruncateToInt(sim::ReadNumber(v.value)); }, 0);
}

float CVarWrapper::getFloatValue() {
    return ReadVariable(
        memory_address, [](const sim::Variable& v) { return static_cast<float>(sim::ReadNumber(v.value)); }, 0.0f);
}

bool CVarWrapper::getBoolValue() { return getIntValue() != 0; }

void CVarWrapper::setValue(std::string value) {
    auto* host = CurrentImpl();
    if (host && memory_address != 0) host->SetVariable(memory_address, value);
}

void CVarWrapper::setValue(int value) { setValue(std::to_string(value)); }

void CVarWrapper::setValue(float value) { setValue(sim::NumberText(value)); }

void CVarWrapper::addOnValueChanged(std::function<void(std::string, CVarWrapper)> callback) {
    auto* host = CurrentImpl();
    if (!host || memory_address == 0 || !callback) return;
    auto shared = std::make_shared<const std::function<void(std::string, CVarWrapper)>>(std::move(callback));
    MutexLock lock(host->mutex);
    if (sim::Variable* variable = host->FindVariableLocked(memory_address))
        variable->callbacks.push_back(std::move(shared));
}
// NOLINTEND(performance-unnecessary-value-param)
