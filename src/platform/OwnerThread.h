// Hands work from a worker thread to the thread that owns a component (the window's
// thread), the way the program's worker threads synchronise with the main thread.
// The Qt window implements it with its event loop; tests with a queue they pump.
#pragma once

#include <functional>

namespace zb::platform {

class OwnerThread {
public:
    virtual ~OwnerThread() = default;
    // Runs `work` on the owner's thread and returns when it has run.
    virtual void runAndWait(std::function<void()> work) = 0;
    // Queues `work` for the owner's thread and returns at once.
    virtual void post(std::function<void()> work) = 0;
};

}  // namespace zb::platform
