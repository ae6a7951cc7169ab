// The worker of a threaded search. It walks the folders on its own thread and hands
// every folder and every match to the owner's thread, waiting until the owner has run
// the handler, so handlers run one at a time on the owner's thread. When the walk ends
// it posts its termination notice to the owner's thread. Destroying it stops the walk,
// drops every hand-off not yet run and waits for the thread to end.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "findfile/SearchRecord.h"
#include "findfile/SearchSettings.h"
#include "findfile/ThreadPriority.h"
#include "platform/OwnerThread.h"

namespace zb::findfile {

namespace detail {
struct SearchThreadState;
}

class TSearchThread {
public:
    // All three run on the owner's thread.
    struct Handlers {
        std::function<bool(const std::string& folder)> newFolder;  // true: skip the folder
        std::function<void(const std::string& folder, TSearchRec& record)> found;
        std::function<void(bool aborted)> terminated;  // the walk has ended
    };

    // Starts the thread at once, at `priority`.
    TSearchThread(SearchSettings settings, platform::OwnerThread& owner, Handlers handlers,
                  TThreadPriority priority);
    ~TSearchThread();
    TSearchThread(const TSearchThread&) = delete;
    TSearchThread& operator=(const TSearchThread&) = delete;

    // Asks the walk to end after the current entry; a hand-off that has not run yet is
    // dropped when it reaches the owner's thread. The termination notice still comes.
    void requestStop();

    void setPriority(TThreadPriority priority);

private:
    std::shared_ptr<detail::SearchThreadState> shared_;  // also held by the worker and queued hand-offs
    std::thread thread_;
};

}  // namespace zb::findfile
