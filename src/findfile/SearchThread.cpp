// The worker thread of a threaded search and its hand-offs to the owner's thread.
//
// A hand-off is posted to the owner's thread and the worker then waits for it, rather
// than using a blocking run-on-owner call: the owner may be the very thread that is
// destroying the finder and waiting for the worker, and a blocking call would then
// wait for ever. Posting lets the destructor cancel the wait; a cancelled hand-off
// that reaches the owner's thread later does nothing. Everything a hand-off touches
// is owned by the shared state or by the hand-off itself, never by the worker's stack.
#include "findfile/SearchThread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "findfile/FolderSearch.h"

namespace zb::findfile {

namespace detail {

struct SearchThreadState {
    using Handlers = TSearchThread::Handlers;
    SearchThreadState(SearchSettings s, platform::OwnerThread& o, Handlers h, TThreadPriority p)
        : settings(std::move(s)), owner(o), handlers(std::move(h)), priority(p) {}

    const SearchSettings settings;
    platform::OwnerThread& owner;
    const Handlers handlers;
    std::atomic<bool> stop{false};

    std::mutex mutex;
    std::condition_variable changed;
    bool cancelled = false;        // the thread object is being destroyed
    std::thread::id runningOn;     // the thread running a hand-off at this moment
    pid_t workerTid = 0;           // while the worker runs; 0 once it is ending
    TThreadPriority priority;
};

}  // namespace detail

namespace {

using Shared = detail::SearchThreadState;

enum class HandOff { Ran, Dropped, Failed };

struct Ticket {
    bool done = false;
    HandOff outcome = HandOff::Dropped;
};

// A handler of the owner's thread threw: the walk ends as aborted.
struct HandlerFailed {};

// Marks the current thread as running a hand-off, for as long as it exists.
class RunningMark {
public:
    RunningMark(std::mutex& mutex, std::condition_variable& changed, std::thread::id& runningOn)
        : mutex_(mutex), changed_(changed), runningOn_(runningOn) {}
    ~RunningMark() {
        {
            std::lock_guard lock(mutex_);
            runningOn_ = std::thread::id();
        }
        changed_.notify_all();
    }

private:
    std::mutex& mutex_;
    std::condition_variable& changed_;
    std::thread::id& runningOn_;
};

// Runs `work` on the owner's thread and waits for it; Dropped when the search is being
// stopped before the work could run.
HandOff handOff(const std::shared_ptr<Shared>& shared, std::function<void()> work) {
    auto ticket = std::make_shared<Ticket>();
    {
        std::lock_guard lock(shared->mutex);
        if (shared->cancelled) return HandOff::Dropped;
    }
    shared->owner.post([shared, ticket, work = std::move(work)] {
        {
            std::lock_guard lock(shared->mutex);
            if (shared->cancelled) return;
            shared->runningOn = std::this_thread::get_id();
        }
        HandOff outcome = HandOff::Dropped;
        {
            RunningMark mark(shared->mutex, shared->changed, shared->runningOn);
            // A stop asked for on the owner's thread holds from that moment: no more
            // folders or matches arrive after it.
            if (!shared->stop.load()) {
                try {
                    work();
                    outcome = HandOff::Ran;
                } catch (...) {
                    outcome = HandOff::Failed;
                }
            }
            std::lock_guard lock(shared->mutex);
            ticket->outcome = outcome;
            ticket->done = true;
        }
    });
    std::unique_lock lock(shared->mutex);
    shared->changed.wait(lock, [&] { return ticket->done || shared->cancelled; });
    return ticket->done ? ticket->outcome : HandOff::Dropped;
}

void workerMain(std::shared_ptr<Shared> shared) {
    {
        std::lock_guard lock(shared->mutex);
        shared->workerTid = currentThreadId();
        applyThreadPriority(shared->workerTid, shared->priority);
    }

    FolderSearch::Callbacks callbacks;
    callbacks.newFolder = [&shared](const std::string& folder) {
        struct Job {
            std::string folder;
            bool ignore = false;
        };
        auto job = std::make_shared<Job>();
        job->folder = folder;
        const HandOff outcome = handOff(shared, [shared, job] {
            if (shared->handlers.newFolder) job->ignore = shared->handlers.newFolder(job->folder);
        });
        if (outcome == HandOff::Failed) throw HandlerFailed{};
        return outcome == HandOff::Ran ? job->ignore : true;
    };
    callbacks.found = [&shared](const std::string& folder, const platform::FileEntry& entry) {
        struct Job {
            std::string folder;
            TSearchRec record;
        };
        auto job = std::make_shared<Job>();
        job->folder = folder;
        job->record = TSearchRec::fromEntry(entry);
        const HandOff outcome = handOff(shared, [shared, job] {
            if (shared->handlers.found) shared->handlers.found(job->folder, job->record);
        });
        if (outcome == HandOff::Failed) throw HandlerFailed{};
    };

    bool aborted = false;
    try {
        FolderSearch(shared->settings, std::move(callbacks), shared->stop).run();
    } catch (...) {
        aborted = true;
    }
    if (shared->stop.load()) aborted = true;

    {
        std::lock_guard lock(shared->mutex);
        shared->workerTid = 0;
        if (shared->cancelled) return;
    }
    shared->owner.post([shared, aborted] {
        {
            std::lock_guard lock(shared->mutex);
            if (shared->cancelled) return;
            shared->runningOn = std::this_thread::get_id();
        }
        RunningMark mark(shared->mutex, shared->changed, shared->runningOn);
        if (shared->handlers.terminated) shared->handlers.terminated(aborted);
    });
}

}  // namespace

TSearchThread::TSearchThread(SearchSettings settings, platform::OwnerThread& owner, Handlers handlers,
                             TThreadPriority priority)
    : shared_(std::make_shared<Shared>(std::move(settings), owner, std::move(handlers), priority)),
      thread_(workerMain, shared_) {}

TSearchThread::~TSearchThread() {
    {
        std::unique_lock lock(shared_->mutex);
        shared_->cancelled = true;
        shared_->stop.store(true);
        shared_->changed.notify_all();
        // A hand-off running on another thread may still be inside a handler of the
        // finder; wait for it. One running on this thread is our caller.
        const auto self = std::this_thread::get_id();
        shared_->changed.wait(lock, [&] {
            return shared_->runningOn == std::thread::id() || shared_->runningOn == self;
        });
    }
    if (thread_.joinable()) {
        // An owner that runs posted work at once could end the search on the worker
        // itself; a thread cannot wait for its own end.
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }
}

void TSearchThread::requestStop() {
    shared_->stop.store(true);
}

void TSearchThread::setPriority(TThreadPriority priority) {
    std::lock_guard lock(shared_->mutex);
    shared_->priority = priority;
    if (shared_->workerTid != 0) applyThreadPriority(shared_->workerTid, priority);
}

}  // namespace zb::findfile
