// The workers and the hand-over of their pieces. One lock guards the queue, the pieces
// and the budget; a worker holds it only to take a job or hand over a piece.
#include "zip/writer/PackingPool.h"

#include <utility>

namespace zb::zip {

namespace {

// Files up to this size are packed in one go before the writer is woken for them.
constexpr std::uint64_t kQuietSize = 64 * 1024;

}  // namespace

PackingPool::PackingPool(unsigned workers, std::size_t budget) : budget_(budget), headShare_(budget / 4) {
    threads_.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { work(); });
}

PackingPool::~PackingPool() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        for (const auto& job : order_) job->member->abandoned = true;
    }
    jobWake_.notify_all();
    roomWake_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void PackingPool::submit(const std::string& path, int level, bool crcPass, bool keepLinks) {
    auto job = std::make_shared<Job>(std::make_unique<PackedMember>(path, level, crcPass, keepLinks));
    {
        std::lock_guard lock(mutex_);
        order_.push_back(job);
        waiting_.push_back(std::move(job));
    }
    jobWake_.notify_one();
}

std::size_t PackingPool::queued() const {
    std::lock_guard lock(mutex_);
    return order_.size() - (taken_ ? 1 : 0);
}

std::size_t PackingPool::inFlight() const {
    std::lock_guard lock(mutex_);
    return used_;
}

PackedMember& PackingPool::take() {
    std::unique_lock lock(mutex_);
    const std::shared_ptr<Job> job = order_.front();
    taken_ = true;
    writerWake_.wait(lock, [&] { return job->openDone || job->finished; });
    return *job->member;
}

bool PackingPool::nextPiece(PackedPiece& piece) {
    std::unique_lock lock(mutex_);
    const std::shared_ptr<Job> job = order_.front();
    writerWake_.wait(lock, [&] { return !job->pieces.empty() || job->finished; });
    if (job->pieces.empty()) {
        if (job->failure) std::rethrow_exception(job->failure);
        return false;
    }
    piece = std::move(job->pieces.front());
    job->pieces.pop_front();
    const std::size_t cost = piece.cost();
    job->buffered -= cost;
    used_ -= cost;
    lock.unlock();
    roomWake_.notify_all();
    return true;
}

void PackingPool::drop() {
    std::deque<PackedPiece> unused;
    {
        std::lock_guard lock(mutex_);
        const std::shared_ptr<Job> job = order_.front();
        order_.pop_front();
        taken_ = false;
        job->member->abandoned = true;
        used_ -= job->buffered;
        job->buffered = 0;
        unused.swap(job->pieces);
    }
    roomWake_.notify_all();
}

void PackingPool::work() {
    Deflater deflater;
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            jobWake_.wait(lock, [&] { return stop_ || !waiting_.empty(); });
            if (stop_) return;
            job = std::move(waiting_.front());
            waiting_.pop_front();
        }
        if (!job->member->abandoned) packJob(*job, deflater);
    }
}

void PackingPool::packJob(Job& job, Deflater& deflater) {
    PackedMember& member = *job.member;
    std::exception_ptr failure;
    try {
        ZipInputFile::OpenResult result;
        std::unique_ptr<ZipInputFile> in = ZipInputFile::open(member.path, result, member.keepLinks);
        // A link kept as a link is small: the writer packs it itself.
        if (in && !in->isLink()) {
            member.opened = true;
            member.stamp = in->openedStamp();
        }
        {
            std::lock_guard lock(mutex_);
            job.openDone = true;
            job.quiet = member.opened && in->size() <= kQuietSize;
        }
        if (!job.quiet) writerWake_.notify_all();
        if (member.opened) member.pack(*in, deflater, [&](PackedPiece& piece) { publish(job, piece); });
    } catch (const PackingAbandoned&) {
    } catch (...) {
        failure = std::current_exception();
    }
    {
        std::lock_guard lock(mutex_);
        job.failure = failure;
        job.finished = true;
    }
    writerWake_.notify_all();
}

void PackingPool::publish(Job& job, PackedPiece& piece) {
    const std::size_t cost = piece.cost();
    std::unique_lock lock(mutex_);
    roomWake_.wait(lock, [&] {
        if (stop_ || job.member->abandoned) return true;
        if (order_.front().get() == &job) return job.buffered == 0 || job.buffered + cost <= headShare_;
        return used_ + cost <= budget_ - headShare_;
    });
    if (stop_ || job.member->abandoned) throw PackingAbandoned();
    job.pieces.push_back(std::move(piece));
    job.buffered += cost;
    used_ += cost;
    // Only the first piece goes quietly: a small file that grew while it was packed
    // wakes the writer from its second piece on, before the budget could hold the
    // worker back with the writer still asleep.
    const bool quiet = std::exchange(job.quiet, false);
    lock.unlock();
    if (!quiet) writerWake_.notify_all();
}

}  // namespace zb::zip
