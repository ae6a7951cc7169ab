// The installed fault plan of the file streams.
#include "zip/io/FileFaults.h"

#include <atomic>

namespace zb::zip {

namespace {
std::atomic<FileFaults*> installed{nullptr};
}

void setFileFaults(FileFaults* plan) { installed.store(plan, std::memory_order_release); }

FileFaults* fileFaults() { return installed.load(std::memory_order_acquire); }

}  // namespace zb::zip
