// A tiny plug-in for driving the simulated host directly, and a fixture with a host in a
// fresh home folder. The plug-in does whatever the test hands it for onLoad.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/Host.h"
#include "sim/Host.h"
#include "support/HostFixture.h"

class FakePlugin : public BakkesMod::Plugin::BakkesModPlugin, public BakkesMod::Plugin::PluginSettingsWindow {
public:
    std::function<void(FakePlugin&)> load;
    std::function<void()> render;
    std::uintptr_t imguiContext = 0;
    int renders = 0;

    void onLoad() override {
        if (load) load(*this);
    }
    void onUnload() override {}
    void RenderSettings() override {
        ++renders;
        if (render) render();
    }
    std::string GetPluginName() override { return "Fake"; }
    void SetImGuiContext(std::uintptr_t context) override { imguiContext = context; }
};

// The library side: what a plug-in library's getPlugin and deleteMe do.
struct FakeLibrary {
    static inline std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> holder;
    static inline std::function<void(FakePlugin&)> nextLoad;

    static std::uintptr_t GetPlugin() {
        if (!holder) {
            auto plugin = std::make_shared<FakePlugin>();
            plugin->load = nextLoad;
            holder = plugin;
        }
        return reinterpret_cast<std::uintptr_t>(&holder);
    }
    static void DeleteMe() { holder.reset(); }
    static FakePlugin* Object() { return static_cast<FakePlugin*>(holder.get()); }
};

class SimHostTest : public ::testing::Test {
protected:
    void SetUp() override { host = std::make_unique<sim::Host>(sim::HostOptions{home.path()}); }
    void TearDown() override {
        host.reset();
        FakeLibrary::DeleteMe();
        FakeLibrary::nextLoad = nullptr;
    }

    FakePlugin& Load(std::function<void(FakePlugin&)> onLoad = {}) {
        FakeLibrary::nextLoad = std::move(onLoad);
        EXPECT_TRUE(host->LoadPlugin(&FakeLibrary::GetPlugin, &FakeLibrary::DeleteMe));
        return *FakeLibrary::Object();
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& line : host->Lines()) texts.push_back(line.text);
        return texts;
    }
    bool Printed(const std::string& text) const {
        const auto texts = Texts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    ScratchFolder home;
    std::unique_ptr<sim::Host> host;
};
