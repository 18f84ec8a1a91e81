// The library's face to the host: the information record, the exported functions and the
// singleton, the load sequence and the settings-window operations.
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <imgui.h>

#include "base/Log.h"
#include "support/HostFixture.h"

using namespace postplay;

using ::testing::EndsWith;
using ::testing::StartsWith;

namespace {

std::array<unsigned char, 64> RecordBytes(const BakkesMod::Plugin::PluginInfo& record) {
    std::array<unsigned char, 64> bytes{};
    std::memcpy(bytes.data(), &record, bytes.size());
    return bytes;
}

std::int32_t LowInt(const std::array<unsigned char, 64>& bytes, std::size_t offset) {
    std::int32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// Index of the first line starting with `prefix`, or the number of lines when there is none.
std::size_t FirstLineStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::find_if(lines.begin(), lines.end(),
                        [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }) -
           lines.begin();
}

} // namespace

TEST(PluginRecord, HoldsTheHostValuesInEightSlotsWithTheHighHalvesOfTheIntegersZero) {
    const auto bytes = RecordBytes(exports);
    EXPECT_EQ(LowInt(bytes, 0), 95);
    EXPECT_EQ(LowInt(bytes, 40), 1);
    for (std::size_t i : {4, 5, 6, 7, 44, 45, 46, 47}) EXPECT_EQ(bytes[i], 0) << "byte " << i;

    EXPECT_THAT(exports.fileName, EndsWith("plugin/PostplayPlugin.cpp"));
    EXPECT_STREQ(exports.className, "PostplayPlugin");
    EXPECT_STREQ(exports.pluginName, "Postplay");
    EXPECT_STREQ(exports.pluginVersion, "1.0.1.3");
    EXPECT_EQ(exports.initializeFunc, &getPlugin);
    EXPECT_EQ(exports.deleteFunc, &deleteMe);
}

// The built library, opened as the host opens it, and its exported symbols by name.
#if defined(_WIN32)
using LibraryHandle = HMODULE;
LibraryHandle OpenLibrary() { return LoadLibraryA(POSTPLAY_PLUGIN_PATH); }
void* dlsym(LibraryHandle library, const char* name) { return reinterpret_cast<void*>(GetProcAddress(library, name)); }
void dlclose(LibraryHandle library) { FreeLibrary(library); }
std::string LoadError() { return "Windows error " + std::to_string(GetLastError()); }
#else
using LibraryHandle = void*;
LibraryHandle OpenLibrary() { return dlopen(POSTPLAY_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL); }
std::string LoadError() { return dlerror(); }
#endif

TEST(PluginLibrary, ExportsTheRecordAndTheTwoFunctionsAndHidesEverythingElse) {
    LibraryHandle library = OpenLibrary();
    ASSERT_NE(library, nullptr) << LoadError();

    auto* record = static_cast<BakkesMod::Plugin::PluginInfo*>(dlsym(library, "exports"));
    void* create = dlsym(library, "getPlugin");
    void* release = dlsym(library, "deleteMe");
    ASSERT_NE(record, nullptr);
    ASSERT_NE(create, nullptr);
    ASSERT_NE(release, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(record->initializeFunc), create);
    EXPECT_EQ(reinterpret_cast<void*>(record->deleteFunc), release);

    EXPECT_EQ(dlsym(library, "globalCvarManager"), nullptr);
    EXPECT_EQ(dlsym(library, "_ZN5ImGui17SetCurrentContextEP12ImGuiContext"), nullptr);
    EXPECT_EQ(dlsym(library, "_Z15PluginSingletonv"), nullptr);
    dlclose(library);
}

class PluginSingletonTest : public ::testing::Test {
protected:
    void TearDown() override { deleteMe(); }
};

TEST_F(PluginSingletonTest, GetPluginTwiceGivesTheSingletonsAddressAndOneObject) {
    const std::uintptr_t first = getPlugin();
    PostplayPlugin* object = PluginSingleton().get();
    const std::uintptr_t second = getPlugin();

    EXPECT_EQ(first, second);
    EXPECT_EQ(first, reinterpret_cast<std::uintptr_t>(&PluginSingleton()));
    EXPECT_EQ(PluginSingleton().get(), object);
    EXPECT_EQ(PluginSingleton().use_count(), 1);
    // The host reads the address as its own plug-in base: it must be the object's address.
    auto* asHost = reinterpret_cast<std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>*>(first);
    EXPECT_EQ(static_cast<void*>(asHost->get()), static_cast<void*>(object));
}

TEST_F(PluginSingletonTest, DeleteMeOnAnEmptySingletonIsHarmless) {
    deleteMe();
    deleteMe();
    EXPECT_FALSE(PluginSingleton());
}

TEST_F(PluginSingletonTest, GetPluginAfterDeleteMeGivesAFreshObject) {
    getPlugin();
    PostplayPlugin& old = *PluginSingleton();
    old.transitionPending = true;
    old.toggleCommand = "changed";
    const std::weak_ptr<void> oldLifetime = old.LifetimeToken();

    deleteMe();
    EXPECT_FALSE(PluginSingleton());
    EXPECT_TRUE(oldLifetime.expired());

    getPlugin();
    const PostplayPlugin& fresh = *PluginSingleton();
    EXPECT_FALSE(fresh.transitionPending);
    EXPECT_EQ(fresh.toggleCommand, "pp_toggle");
    EXPECT_FALSE(fresh.LifetimeToken().expired());
}

class PluginLoadTest : public HostFixture {};

TEST_F(PluginLoadTest, BringsUpStorageThenLocalizationThenTheSettings) {
    StartHost();
    host->RefuseCvarName("pp_enabled");
    LoadPlugin();
    const auto lines = TakeLines();

    const std::size_t storage = FirstLineStartingWith(lines, "PersistentStorage: created and will store the data in ");
    const std::size_t localization = FirstLineStartingWith(lines, "Localization initialized.");
    const std::size_t settings =
        FirstLineStartingWith(lines, "PersistentStorage: Failed to register the cvar pp_enabled");
    ASSERT_LT(settings, lines.size()) << testing::PrintToString(lines);
    EXPECT_LT(storage, localization);
    EXPECT_LT(localization, settings);
}

TEST_F(PluginLoadTest, LeavesEveryPartRegisteredWithTheHost) {
    LoadPlugin();

    const auto logo = host->ToastTexturePath("postplay_logo");
    ASSERT_TRUE(logo.has_value());
    EXPECT_EQ(*logo, (host->DataFolder() / "Postplay" / "PostplayLogo.png").string());
    EXPECT_THAT(host->HookedEvents(),
                ::testing::UnorderedElementsAre("Function TAGame.GameEvent_Soccar_TA.OnGameTimeUpdated",
                                                "Function Engine.PlayerInput.InitInputSystem",
                                                "Function TAGame.GameEvent_Soccar_TA.EventMatchEnded",
                                                "Function TAGame.GameEvent_TA.Destroyed",
                                                "Function Engine.PlayerController.NotifyDisconnect",
                                                "Function TAGame.GameEvent_Soccar_TA.OnMatchWinnerSet"));
    EXPECT_EQ(globalCvarManager, plugin().cvarManager);
    EXPECT_FALSE(Printed("Exception in plug-in code: ")) << testing::PrintToString(TakeLines());
}

TEST_F(PluginLoadTest, OnUnloadChangesNothing) {
    LoadPlugin();
    Wait(1.0);
    PostplayPlugin& loaded = plugin();
    const auto registrations = host->RegistrationCount();
    const auto hooks = host->HookedEvents();
    const auto* enabledCell = loaded.enabled.get();
    const auto* storage = loaded.persistentStorage.get();
    const auto* token = loaded.mmrNotifierToken.get();
    TakeLines();

    loaded.onUnload();

    EXPECT_EQ(host->RegistrationCount(), registrations);
    EXPECT_EQ(host->HookedEvents(), hooks);
    EXPECT_EQ(loaded.enabled.get(), enabledCell);
    EXPECT_TRUE(*loaded.enabled);
    EXPECT_EQ(loaded.persistentStorage.get(), storage);
    EXPECT_EQ(loaded.mmrNotifierToken.get(), token);
    EXPECT_TRUE(TakeLines().empty());
}

TEST_F(PluginLoadTest, TheSettingsWindowSideNamesThePageAndTakesTheHostsImGuiContext) {
    LoadPlugin();
    BakkesMod::Plugin::PluginSettingsWindow* window = host->SettingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetPluginName(), "Postplay");
    // The host reaches the object through its BakkesModPlugin base at the same address.
    EXPECT_EQ(static_cast<void*>(host->Plugin()), static_cast<void*>(&plugin()));

    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGuiContext* context = ImGui::CreateContext();
    ImGui::SetCurrentContext(nullptr);
    window->SetImGuiContext(reinterpret_cast<std::uintptr_t>(context));
    EXPECT_EQ(ImGui::GetCurrentContext(), context);
    ImGui::DestroyContext(context);
    ImGui::SetCurrentContext(previous);
}

TEST_F(PluginLoadTest, LogKeepsBracesOfItsArgumentsAndAMalformedFormatAsItStands) {
    LoadPlugin();
    TakeLines();
    Log("code: {}", "{0} {} {{");
    Log("{} and {}", 1, "{x}");
    Log("unbalanced {");
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"code: {0} {} {{", "1 and {x}", "unbalanced {"}));
}

#if defined(__linux__)
// The host frees the library right after the unload: the cfg writer and the folder check,
// both started by then, must be gone when the unload returns.
TEST_F(PluginLoadTest, UnloadJoinsEveryThreadThePluginStarted) {
    const auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                             std::filesystem::directory_iterator());
    };
    std::thread([] {}).join(); // a sanitizer's own helper thread starts with the first thread
    const auto before = threads();
    LoadPlugin();
    Wait(1.0);
    EXPECT_EQ(threads(), before + 3) << "the cfg writer, the folder worker and the link opener start with the load";
    Run("pp_mode workshop; pp_workshop_maps_folder \"" + home.path().string() + "\"; pp_requeue_delay 3");
    host->DrawFramesOnRenderThread(3);
    EXPECT_GT(threads(), before);
    host->UnloadPlugin();
    EXPECT_EQ(threads(), before);
}
#endif
