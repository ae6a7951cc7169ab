// The zip run with workers: the listed files are queued for the pool ahead of the one
// being zipped, and the writer takes what a worker made of a file only when it is
// what the writer would have read itself. Every event still comes from this thread,
// at the point where the run with one thread raises it; a member the workers cannot
// stand in for (the file changed, was replaced, or a handler changed the level or the
// password) is packed here as with one thread.
#include "zip/writer/ZipWriterRun.h"

namespace zb::zip {

namespace {

// Listed files queued ahead of the writer: enough to keep the other workers busy
// while one compresses a file that takes as long as hundreds of small ones (the
// writer, waiting for it, queues nothing more), few enough that the queue costs
// little (about four megabytes, measured on a million empty files).
constexpr std::size_t kQueueAhead = 4096;

bool isFolderEntry(const std::string& path) { return !path.empty() && path.back() == '/'; }

}  // namespace

void TZipWriter::Run::startPool() { pool = std::make_unique<PackingPool>(unsigned(w.threads_)); }

bool TZipWriter::Run::zipListed(const std::vector<std::string>& files, std::size_t index) {
    if (!pool) return zipOne(files[index]);
    while (nextAhead < files.size() && (nextAhead <= index || pool->queued() < kQueueAhead)) {
        const std::string& path = files[nextAhead++];
        if (!isFolderEntry(path)) pool->submit(path, levelFor(path), !w.Password.empty(), w.storeLinks_);
    }
    packedAhead = !isFolderEntry(files[index]);
    const bool zipped = zipOne(files[index]);
    if (packedAhead) {
        packedAhead = false;
        pool->drop();
    }
    return zipped;
}

const PackedMember* TZipWriter::Run::packedFor(const std::string& path, ZipInputFile& in, int level) {
    const PackedMember& packed = pool->take();
    // The stamps tell whether the worker read this very file, unchanged since then.
    bool usable = packed.opened && packed.path == path && packed.level == level &&
                  packed.crcPass == !w.Password.empty() && packed.stamp == in.openedStamp();
    if (usable) {
        const auto now = in.currentStamp();
        usable = now && *now == packed.stamp;
    }
    if (usable) return &packed;
    packedAhead = false;
    pool->drop();
    return nullptr;
}

}  // namespace zb::zip
