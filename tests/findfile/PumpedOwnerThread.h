// The owner's thread of a test: work handed over by a worker waits in a queue until the
// test thread pumps it, the way a window's event loop would run it.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/OwnerThread.h"

namespace zb::test {

class PumpedOwnerThread : public platform::OwnerThread {
public:
    PumpedOwnerThread() : owner_(std::this_thread::get_id()) {}

    void runAndWait(std::function<void()> work) override {
        if (std::this_thread::get_id() == owner_) {
            work();
            return;
        }
        auto done = std::make_shared<bool>(false);
        std::unique_lock lock(mutex_);
        queue_.push_back([this, done, work = std::move(work)] {
            work();
            std::lock_guard inner(mutex_);
            *done = true;
            doneChanged_.notify_all();
        });
        queued_.notify_all();
        doneChanged_.wait(lock, [&] { return *done; });
    }

    void post(std::function<void()> work) override {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(work));
        queued_.notify_all();
    }

    // Runs the work queued so far (and what it queues meanwhile); returns how much ran.
    int pump() {
        int ran = 0;
        while (auto work = take()) {
            work();
            ++ran;
        }
        return ran;
    }

    // Runs queued work as it arrives until `done()` holds; false on timeout, which a
    // test reports as a hang instead of hanging.
    template <class Predicate>
    bool pumpUntil(Predicate done, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            std::function<void()> work;
            {
                std::unique_lock lock(mutex_);
                // Short waits: `done` may also be made true by another thread.
                const auto until = std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(5));
                if (queued_.wait_until(lock, until, [&] { return !queue_.empty(); })) {
                    work = std::move(queue_.front());
                    queue_.pop_front();
                }
            }
            // `done` may look at the queue, so it is never asked under our lock.
            if (work) {
                work();
            } else if (std::chrono::steady_clock::now() >= deadline) {
                return done();
            }
        }
        return true;
    }

    std::size_t pending() const {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }

    bool isOwnerThread() const { return std::this_thread::get_id() == owner_; }

private:
    std::function<void()> take() {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) return {};
        auto work = std::move(queue_.front());
        queue_.pop_front();
        return work;
    }

    const std::thread::id owner_;
    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable doneChanged_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace zb::test
