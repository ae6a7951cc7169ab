// Searches a file block by block. The last (length - 1) bytes of what was searched are
// carried in front of the next block: a match that begins in one block and ends in the
// next is then whole in the carried window, and no match is searched twice.
#include "findfile/ContentSearch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zb::findfile {
namespace {

void upperInPlace(char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] >= 'a' && data[i] <= 'z') data[i] = char(data[i] - 'a' + 'A');
    }
}

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

class ContentSearch::Scanner {
public:
    Scanner(const std::string& text, bool ignoreCase) : text_(text), ignoreCase_(ignoreCase) {
        window_.reserve(kContentBlockSize + text.size());
    }

    // Adds one block; true once the text has been seen.
    bool feed(const char* block, std::size_t size) {
        const std::size_t start = window_.size();
        window_.append(block, size);
        if (ignoreCase_) upperInPlace(window_.data() + start, size);
        if (window_.find(text_) != std::string::npos) return true;
        const std::size_t keep = text_.size() - 1;
        if (window_.size() > keep) window_.erase(0, window_.size() - keep);
        return false;
    }

private:
    const std::string& text_;
    bool ignoreCase_;
    std::string window_;
};

ContentSearch::ContentSearch(std::string_view text, bool ignoreCase) : text_(text), ignoreCase_(ignoreCase) {
    if (ignoreCase_) upperInPlace(text_.data(), text_.size());
}

bool ContentSearch::containedIn(std::string_view data) const {
    if (text_.empty()) return true;
    Scanner scanner(text_, ignoreCase_);
    for (std::size_t at = 0; at < data.size(); at += kContentBlockSize) {
        const std::size_t size = std::min(kContentBlockSize, data.size() - at);
        if (scanner.feed(data.data() + at, size)) return true;
    }
    return false;
}

ContentResult ContentSearch::search(const std::string& path, const std::atomic<bool>* stop) const {
    // Non-blocking open: should the entry have been replaced by a FIFO since it was
    // listed, the open still returns at once and the type check below refuses it.
    FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return ContentResult::Unreadable;
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ContentResult::Unreadable;
    if (text_.empty()) return ContentResult::Contains;

    Scanner scanner(text_, ignoreCase_);
    char block[kContentBlockSize];
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed)) return ContentResult::Stopped;
        const ssize_t got = ::read(file.get(), block, sizeof block);
        if (got < 0) {
            if (errno == EINTR) continue;
            return ContentResult::Unreadable;
        }
        if (got == 0) return ContentResult::Lacks;
        if (scanner.feed(block, std::size_t(got))) return ContentResult::Contains;
    }
}

}  // namespace zb::findfile
