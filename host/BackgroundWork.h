// Work a plug-in hands to a thread of its own, whose result comes back to the game thread
// through GameWrapper::Execute. Not one of the game's own calls: the simulated host's
// addition. The plug-in holds a BackgroundWork for as long as such work is asked for,
// under way, or waiting in Execute's queue; the game itself needs none of it, and a build
// against the game's interface defines both members as doing nothing.
//
// The simulated host counts them. When it runs scripts or tests it lets the work finish
// before its clock moves on or its step returns, so a script that starts a folder scan and
// then reads the result sees the finished result, the same in every run. In the window and
// at the interactive prompt it does not wait: results land whenever the work is done.
#pragma once

class BackgroundWork {
public:
    BackgroundWork();
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;
};
