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
    SharedLock alive(pageLifetime);
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
            MutexLock lock(render.mutex);
            while (!render.stopping && render.lines.empty() && render.framesWanted <= render.framesDrawn) {
                const auto left = nextFrame - WallClock::now();
                if (left <= WallClock::duration::zero()) break;
                render.wake.WaitFor(lock, left);
            }
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
            if (nextFrame < now) nextFrame = now + period; // fell behind: don't try to catch up
        }
        if (frames > 0) DrawFramesHere(frames);
        if (framesWanted > 0) {
            MutexLock lock(render.mutex);
            render.framesDrawn += framesWanted;
            render.wake.NotifyAll();
        }
    }
}

void Host::Impl::StartRendering(double framesPerSecond) {
    MutexLock lock(render.mutex);
    render.framesPerSecond = framesPerSecond;
    if (renderRunning) {
        render.wake.NotifyAll();
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
        MutexLock lock(render.mutex);
        render.stopping = true;
        render.wake.NotifyAll();
    }
    render.thread.join();
    renderRunning = false;
}

void Host::Impl::HandToRenderThread(std::string line) {
    if (renderRunning) {
        MutexLock lock(render.mutex);
        render.lines.push_back(std::move(line));
        render.wake.NotifyAll();
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
    MutexLock lock(render.mutex);
    const int target = render.framesWanted += frames;
    render.wake.NotifyAll();
    while (render.framesDrawn < target) render.wake.Wait(lock);
}

void Host::StartRendering(double framesPerSecond) { d->StartRendering(framesPerSecond); }
void Host::StopRendering() { d->StopRendering(); }
bool Host::IsRendering() const { return d->renderRunning; }
void Host::HandToRenderThread(std::string line) { d->HandToRenderThread(std::move(line)); }
void Host::DrawFramesOnRenderThread(int frames) { d->DrawFramesOnRenderThread(frames); }

} // namespace sim
