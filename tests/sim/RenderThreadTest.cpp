// The host's rendering thread: handed lines run there in order, between frames; what
// belongs to the game thread waits for it; reloads and stops never cut a frame.
#include <chrono>
#include <thread>

#include "FakePlugin.h"

namespace {
const std::string kInputStarted = "Function Engine.PlayerInput.InitInputSystem";
}

class RenderThreadTest : public SimHostTest {};

TEST_F(RenderThreadTest, HandedLinesRunOnTheRenderingSideAndGameCommandsOnTheGameThread) {
    std::vector<std::string> seen; // written on the rendering thread only
    std::thread::id noteThread, hookThread;
    Load([&](FakePlugin& self) {
        self.cvarManager->registerNotifier(
            "note",
            [&](std::vector<std::string> words) {
                noteThread = std::this_thread::get_id();
                seen.push_back(words.size() > 1 ? words[1] : "");
            },
            "", 0);
        self.gameWrapper->HookEvent(kInputStarted, [&](std::string) { hookThread = std::this_thread::get_id(); });
    });

    host->RunInput("sim_render on 500");
    ASSERT_TRUE(host->IsRendering());
    host->RunInput("sim_render_do note 1; note 2");
    host->RunInput("sim_render_do note 3; load_freeplay");
    host->RunInput("sim_frame 2"); // returns once the lines before it ran
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_NE(noteThread, std::this_thread::get_id());

    // load_freeplay came from the rendering side: it waits for the game thread's next step.
    host->Step();
    EXPECT_EQ(host->Status(), "game: freeplay; search: off");
    EXPECT_EQ(hookThread, std::this_thread::get_id());

    // A reload stops the drawing, swaps the plug-in and draws again; "off" stops for good.
    host->RunInput("sim_reload");
    EXPECT_TRUE(host->IsRendering());
    host->RunInput("sim_frame 3");
    host->RunInput("sim_render off");
    EXPECT_FALSE(host->IsRendering());
    const int renders = FakeLibrary::Object()->renders;
    EXPECT_GE(renders, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(FakeLibrary::Object()->renders, renders);

    // Without a rendering thread a handed line runs on a thread of its own, waited for.
    host->RunInput("sim_render_do note 4");
    EXPECT_EQ(seen.back(), "4");
}
