#include "HostFixture.h"

#include <algorithm>

#include "host/CVarManagerWrapper.h"
#include "localization/LocalizationManager.h"
#include "storage/PersistentStorage.h"
#include "support/TextFiles.h"

using namespace postplay;

void HostFixture::StartHost(std::optional<std::string> language) {
    sim::HostOptions options;
    options.home = home.path() / homeBelow;
    options.uiLanguage = std::move(language);
    host = std::make_unique<sim::Host>(options);
}

void HostFixture::LoadPlugin() {
    if (!host) StartHost();
    ASSERT_TRUE(host->LoadPlugin(&getPlugin, &deleteMe));
}

void HostFixture::TearDown() {
    if (host && host->HasPlugin()) host->UnloadPlugin();
    // The localization manager outlives the plug-in and keeps its storage, which writes the
    // file once more when released: let it do so now, into this test's home, rather than
    // at the next test's load into a folder that is gone by then.
    LocalizationManager::GetInstance()->persistentStorage.reset();
    host.reset();
    deleteMe();
}

PostplayPlugin& HostFixture::plugin() { return *PluginSingleton(); }

std::vector<std::string> HostFixture::TakeLines() {
    std::vector<std::string> texts;
    const auto& lines = host->Lines();
    for (std::size_t i = std::min(taken, lines.size()); i < lines.size(); ++i) texts.push_back(lines[i].text);
    taken = lines.size();
    return texts;
}

bool HostFixture::Printed(const std::string& text) const {
    const auto& lines = host->Lines();
    return std::any_of(lines.begin(), lines.end(), [&](const sim::ConsoleLine& line) { return line.text == text; });
}

std::string HostFixture::CvarValue(const std::string& name) {
    return plugin().cvarManager->getCvar(name).getStringValue();
}

std::string HostFixture::SettledConfig() {
    const std::shared_ptr<PostplayPlugin>& loaded = PluginSingleton();
    if (loaded && loaded->persistentStorage) loaded->persistentStorage->WaitForPendingWrites();
    return ReadText(home.path() / homeBelow / "cfg" / "Postplay.cfg");
}
