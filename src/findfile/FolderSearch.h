// The walk of one search: every target folder in order, each folder's matching entries
// reported first, then (when asked) its subfolders, depth first in listing order. The
// walk knows nothing of threads: it reports through two callbacks and looks at a stop
// flag between entries, so the finder runs it the same way on its own thread or a
// worker.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "findfile/SearchFilter.h"
#include "findfile/SearchSettings.h"
#include "platform/FileSystem.h"

namespace zb::findfile {

class FolderSearch {
public:
    struct Callbacks {
        // Before a folder is searched, with the folder as reported; true skips the
        // folder and everything below it.
        std::function<bool(const std::string& folder)> newFolder;
        std::function<void(const std::string& folder, const platform::FileEntry& entry)> found;
    };

    FolderSearch(const SearchSettings& settings, Callbacks callbacks, const std::atomic<bool>& stop);

    // Walks every target; returns early once `stop` is set. Exceptions of the callbacks
    // pass through.
    void run();

    // The folder as events show it: without its trailing separator, except the root.
    static std::string reportedFolder(const std::string& folder);

private:
    void searchFolder(const std::string& folder, const std::string& mask);
    bool stopped() const { return stop_.load(std::memory_order_acquire); }

    const SearchSettings& settings_;
    Callbacks callbacks_;
    const std::atomic<bool>& stop_;
    SearchFilter filter_;
};

}  // namespace zb::findfile
