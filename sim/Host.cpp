#include "sim/Host.h"

#include <algorithm>
#include <atomic>
#include <system_error>

#include "sim/HostImpl.h"

namespace sim {

namespace {
Host* currentHost = nullptr;
std::atomic<Key> keySequence{1};
} // namespace

Key NewKey() { return keySequence.fetch_add(1); }

Host::Impl* CurrentImpl() { return currentHost ? &currentHost->impl() : nullptr; }

Host::Impl* ImplFor(Key owner) {
    Host::Impl* impl = CurrentImpl();
    return impl && impl->IsLive(owner) ? impl : nullptr;
}

Host::Impl::Impl(Host& owner, HostOptions hostOptions)
    : host(owner), options(std::move(hostOptions)), uiLanguage(options.uiLanguage) {}

void Host::Impl::Print(std::string text) {
    lines.push_back(ConsoleLine{now, std::move(text)});
    if (sink) sink(lines.back());
}

void Host::Impl::ReportPluginException(const char* what) noexcept {
    try {
        Print(std::string("Exception in plug-in code: ") + what);
    } catch (...) {
    }
}

Host::Host(HostOptions options) : d(std::make_unique<Impl>(*this, std::move(options))) {
    std::error_code ignored;
    std::filesystem::create_directories(d->options.home / "cfg", ignored);
    std::filesystem::create_directories(d->options.home / "data", ignored);
    currentHost = this;
}

Host::~Host() {
    UnloadPlugin();
    if (currentHost == this) currentHost = nullptr;
}

Host* Host::Current() { return currentHost; }

void Host::SetLineSink(std::function<void(const ConsoleLine&)> sink) { d->sink = std::move(sink); }
const std::vector<ConsoleLine>& Host::Lines() const { return d->lines; }
void Host::ClearLines() { d->lines.clear(); }
void Host::Print(std::string text) { d->Print(std::move(text)); }

const std::vector<ToastRecord>& Host::Toasts() const { return d->toasts; }

std::optional<std::string> Host::ToastTexturePath(const std::string& name) const {
    auto found = d->toastTextures.find(name);
    if (found == d->toastTextures.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> Host::HookedEvents() const {
    std::set<std::string> names;
    for (const Hook& hook : d->hooks) names.insert(hook.event);
    return {names.begin(), names.end()};
}

std::size_t Host::RegistrationCount() const {
    if (!d->plugin) return 0;
    const Key owner = d->plugin->owner;
    auto owned = [owner](const auto& item) { return item.owner == owner; };
    auto ownedValue = [owner](const auto& entry) { return entry.second.owner == owner; };
    return std::count_if(d->hooks.begin(), d->hooks.end(), owned) +
           std::count_if(d->timers.begin(), d->timers.end(), ownedValue) +
           std::count_if(d->notifiers.begin(), d->notifiers.end(), ownedValue) +
           std::count_if(d->variables.begin(), d->variables.end(), ownedValue) +
           std::count_if(d->mmrNotifiers.begin(), d->mmrNotifiers.end(), ownedValue);
}

void Host::RefuseCvarName(const std::string& name) { d->refusedNames.insert(name); }

void Host::ScriptLookups(std::vector<bool> controllerAnswers, std::vector<bool> priAnswers) {
    d->controllerAnswers.assign(controllerAnswers.begin(), controllerAnswers.end());
    d->priAnswers.assign(priAnswers.begin(), priAnswers.end());
}

std::filesystem::path Host::Home() const { return d->options.home; }
std::filesystem::path Host::DataFolder() const { return d->options.home / "data"; }

std::filesystem::path ToFsPath(const std::string& text) {
#if defined(_WIN32)
    return std::filesystem::path(text);
#else
    std::string converted = text;
    std::replace(converted.begin(), converted.end(), '\\', '/');
    return std::filesystem::path(converted);
#endif
}

} // namespace sim
