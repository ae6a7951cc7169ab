// The contents test of the finder: does a file contain a text? The file is read in
// blocks of 4096 bytes, and the end of each block is kept so that a text lying across
// two blocks is still found. Only regular files are read: a FIFO, socket or device is
// never treated as data (opening a FIFO would block the search). Case is ignored for
// ASCII letters only: a file's bytes are of no known encoding, so nothing beyond ASCII
// can safely be folded.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace zb::findfile {

constexpr std::size_t kContentBlockSize = 4096;

enum class ContentResult { Contains, Lacks, Unreadable, Stopped };

class ContentSearch {
public:
    // An empty text is no test at all; callers do not ask for it.
    ContentSearch(std::string_view text, bool ignoreCase);

    // `stop` is looked at between blocks, so a long file does not delay a stop request.
    ContentResult search(const std::string& path, const std::atomic<bool>* stop = nullptr) const;

    // The test over bytes already in memory, block by block as a file would be read.
    bool containedIn(std::string_view data) const;

private:
    class Scanner;
    std::string text_;  // upper-cased when the case is ignored
    bool ignoreCase_;
};

}  // namespace zb::findfile
