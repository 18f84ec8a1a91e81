// The host's rendering thread: draws the settings page continuously, at a wall-time rate,
// as the game does while the page is open, and runs the console lines handed to it between
// two frames, as the page's own setValue and executeCommand calls would run.
#include <algorithm>
#include <chrono>

#include "sim/HostImpl.h"

namespace sim {

namespace {
using WallClock = std::chrono::steady_clock;

WallClock::duration FramePeriod(double framesPerSecond) {
    return std::chrono::duration_cast<WallClock::duration>(std::chrono::duration<double>(1.0 / framesPerSecond));
}
} // namespace

void Host::Impl::RunOnRenderSide(const std::string& line) {
    RenderSideScope renderSide;
    std::shared_lock<std::shared_mutex> alive(pageLifetime);
    host.RunLine(line);
}

void Host::Impl::RenderLoop() {
    RenderSideScope renderSide;
    auto nextFrame = WallClock::now();
    for (;;) {
        std::deque<std::string> handed;
        int framesWanted = 0;
        bool stopping = false;
        WallClock::duration period{};
        {
            std::unique_lock<std::mutex> lock(render.mutex);
            render.wake.wait_until(lock, nextFrame, [this] {
                return render.stopping || !render.lines.empty() || render.framesWanted > render.framesDrawn;
            });
            handed.swap(render.lines);
            framesWanted = render.framesWanted - render.framesDrawn;
            stopping = render.stopping;
            period = FramePeriod(render.framesPerSecond);
        }
        for (const std::string& line : handed) RunOnRenderSide(line);
        if (stopping) return;

        const auto now = WallClock::now();
        int frames = framesWanted;
        if (now >= nextFrame) {
            frames = std::max(frames, 1);
            nextFrame += period;
            if (nextFrame < now) nextFrame = now + period;  // fell behind: don't try to catch up
        }
        if (frames > 0) DrawFramesHere(frames);
        if (framesWanted > 0) {
            std::lock_guard<std::mutex> lock(render.mutex);
            render.framesDrawn += framesWanted;
            render.wake.notify_all();
        }
    }
}

void Host::Impl::StartRendering(double framesPerSecond) {
    std::lock_guard<std::mutex> lock(render.mutex);
    render.framesPerSecond = framesPerSecond;
    if (renderRunning) {
        render.wake.notify_all();
        return;
    }
    render.stopping = false;
    render.framesWanted = render.framesDrawn = 0;
    render.thread = std::thread([this] { RenderLoop(); });
    renderRunning = true;
}

void Host::Impl::StopRendering() {
    if (!renderRunning) return;
    {
        std::lock_guard<std::mutex> lock(render.mutex);
        render.stopping = true;
        render.wake.notify_all();
    }
    render.thread.join();
    renderRunning = false;
}

void Host::Impl::HandToRenderThread(std::string line) {
    if (renderRunning) {
        std::lock_guard<std::mutex> lock(render.mutex);
        render.lines.push_back(std::move(line));
        render.wake.notify_all();
        return;
    }
    std::thread once([this, &line] { RunOnRenderSide(line); });
    once.join();
}

void Host::Impl::DrawFramesOnRenderThread(int frames) {
    if (frames <= 0) return;
    if (!renderRunning) {
        std::thread once([this, frames] { DrawFramesHere(frames); });
        once.join();
        return;
    }
    std::unique_lock<std::mutex> lock(render.mutex);
    const int target = render.framesWanted += frames;
    render.wake.notify_all();
    render.wake.wait(lock, [this, target] { return render.framesDrawn >= target; });
}

void Host::StartRendering(double framesPerSecond) { d->StartRendering(framesPerSecond); }
void Host::StopRendering() { d->StopRendering(); }
bool Host::IsRendering() const { return d->renderRunning; }
void Host::HandToRenderThread(std::string line) { d->HandToRenderThread(std::move(line)); }
void Host::DrawFramesOnRenderThread(int frames) { d->DrawFramesOnRenderThread(frames); }

} // namespace sim
