#pragma once

// The checks that need the network run once the main window is on screen: the new-message
// check, the silent update check, then the user's server and its page list. They run once
// per program run, and each step runs whatever the ones before it gave.

#include <functional>
#include <vector>

class TStartupChecks {
public:
    using Step = std::function<void()>;
    explicit TStartupChecks(std::vector<Step> steps)
        : steps_(std::move(steps))
    { }

    // The first call runs the steps in order; every later call, also one from inside a step
    // while it waits for a server, does nothing.
    void Run();
    bool HaveRun() const { return ran_; }
    // The steps not begun yet never run: the window has closed (for an update, say) and the
    // program must end now, not after one more server has answered.
    void Stop() { stopped_ = true; }

private:
    std::vector<Step> steps_;
    bool ran_ = false;
    bool stopped_ = false;
};
