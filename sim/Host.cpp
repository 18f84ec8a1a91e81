#include "sim/Host.h"

#include <algorithm>
#include <atomic>
#include <system_error>

#include "sim/HostImpl.h"

namespace sim {

namespace {
std::atomic<Host*> currentHost{nullptr};
std::atomic<Key> keySequence{1};
} // namespace

thread_local int Host::Impl::pluginDepth = 0;
thread_local bool Host::Impl::onRenderSide = false;
thread_local int Host::Impl::commandDepth = 0;

Key NewKey() { return keySequence.fetch_add(1); }

Host::Impl* CurrentImpl() {
    Host* host = currentHost.load();
    return host ? &host->impl() : nullptr;
}

Host::Impl* ImplFor(Key owner) {
    Host::Impl* impl = CurrentImpl();
    return impl && impl->IsLive(owner) ? impl : nullptr;
}

Host::Impl::Impl(Host& owner, HostOptions hostOptions)
    : host(owner), options(std::move(hostOptions)), uiLanguage(options.uiLanguage) {}

void Host::Impl::Print(std::string text) {
    MutexLock lock(outputMutex);
    lines.push_back(ConsoleLine{now.load(), std::move(text)});
    if (sink) sink(lines.back());
}

void Host::Impl::ReportPluginException(const char* what) noexcept {
    try {
        Print(std::string("Exception in plug-in code: ") + what);
    } catch (...) {}
}

Host::Host(HostOptions options) : d(std::make_unique<Impl>(*this, std::move(options))) {
    std::error_code ignored;
    std::filesystem::create_directories(d->options.home / "cfg", ignored);
    std::filesystem::create_directories(d->options.home / "data", ignored);
    d->LoadBinds();
    currentHost = this;
}

Host::~Host() {
    UnloadPlugin(); // stops the rendering thread first
    Host* self = this;
    currentHost.compare_exchange_strong(self, nullptr);
}

Host* Host::Current() { return currentHost.load(); }

void Host::SetLineSink(std::function<void(const ConsoleLine&)> sink) {
    MutexLock lock(d->outputMutex);
    d->sink = std::move(sink);
}
// Hands out the vector itself, for a caller that knows no other thread prints meanwhile.
const std::vector<ConsoleLine>& Host::Lines() const NO_THREAD_SAFETY_ANALYSIS { return d->lines; }

std::size_t Host::LineCount() const {
    MutexLock lock(d->outputMutex);
    return d->lines.size();
}

std::vector<ConsoleLine> Host::LinesFrom(std::size_t first) const {
    MutexLock lock(d->outputMutex);
    if (first >= d->lines.size()) return {};
    return {d->lines.begin() + static_cast<std::ptrdiff_t>(first), d->lines.end()};
}

void Host::ClearLines() {
    MutexLock lock(d->outputMutex);
    d->lines.clear();
    ++d->clears;
}

std::size_t Host::ClearCount() const {
    MutexLock lock(d->outputMutex);
    return d->clears;
}
void Host::Print(std::string text) { d->Print(std::move(text)); }

// Hands out the vector itself, for a caller that knows no other thread shows toasts meanwhile.
const std::vector<ToastRecord>& Host::Toasts() const NO_THREAD_SAFETY_ANALYSIS { return d->toasts; }

std::optional<std::string> Host::ToastTexturePath(const std::string& name) const {
    MutexLock lock(d->mutex);
    auto found = d->toastTextures.find(name);
    if (found == d->toastTextures.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> Host::HookedEvents() const {
    MutexLock lock(d->mutex);
    std::set<std::string> names;
    for (const Hook& hook : d->hooks) names.insert(hook.event);
    return {names.begin(), names.end()};
}

std::size_t Host::RegistrationCount() const {
    MutexLock lock(d->mutex);
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

void Host::RefuseCvarName(const std::string& name) {
    MutexLock lock(d->mutex);
    d->refusedNames.insert(name);
}

std::vector<CvarRegistration> Host::CvarRegistrations() const {
    MutexLock lock(d->mutex);
    return d->cvarRegistrations;
}

std::vector<NotifierRegistration> Host::NotifierRegistrations() const {
    MutexLock lock(d->mutex);
    return d->notifierRegistrations;
}

void Host::ScriptLookups(std::vector<bool> controllerAnswers, std::vector<bool> priAnswers) {
    MutexLock lock(d->mutex);
    d->controllerAnswers.assign(controllerAnswers.begin(), controllerAnswers.end());
    d->priAnswers.assign(priAnswers.begin(), priAnswers.end());
}

std::filesystem::path Host::Home() const { return d->options.home; }
std::filesystem::path Host::DataFolder() const { return d->options.home / "data"; }

} // namespace sim
