// The workers that decode members ahead of extraction, and the hand-over of what they
// decoded. One lock guards the queue, the results and the budget; a worker holds it
// only to take a job or to finish one, never while it reads or decodes.
#include "zip/extract/DecodeAhead.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "zip/TZipHeaderInfo.h"
#include "zip/checksum/Crc32.h"
#include "zip/codec/MemberDecoder.h"
#include "zip/records/LocalHeader.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

namespace {

// The compressed bytes, all in memory: handed to the decoder whole.
class HeldInput : public DecodeInput {
public:
    HeldInput(const std::uint8_t* data, std::size_t size) : data_(data), left_(size) {}

    std::size_t read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, left_);
        std::memcpy(buffer, data_, n);
        data_ += n;
        left_ -= n;
        return n;
    }
    const std::uint8_t* takeAll(std::size_t& size) override {
        size = left_;
        left_ = 0;
        return data_;
    }

private:
    const std::uint8_t* data_;
    std::size_t left_;
};

// A member's bytes, all in memory (room for its stated size and the decoder's
// margin), never more than its stated size: a member that decodes longer is given up
// at once.
class HeldOutput : public DecodeOutput {
public:
    HeldOutput(std::uint8_t* room, std::size_t size) : bytes_(room), size_(size) {}

    void write(const std::uint8_t* data, std::size_t size) override {
        if (size > size_ - written_) throw std::length_error("member longer than stated");
        // Bytes decoded in place already stand where they belong.
        if (data != bytes_ + written_) std::memcpy(bytes_ + written_, data, size);
        written_ += size;
    }
    std::uint8_t* lendAll(std::size_t size) override { return size == size_ ? bytes_ : nullptr; }

    std::size_t written() const { return written_; }

private:
    std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t written_ = 0;
};

// Reads exactly `size` bytes at `offset`; false on a short file or an error.
bool readAt(int fd, std::uint8_t* dest, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, dest, size, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        dest += got;
        size -= std::size_t(got);
        offset += std::uint64_t(got);
    }
    return true;
}

// What a job holds at most while it is decoded: both forms of the member.
std::size_t costOf(const DecodeAhead::Request& r) {
    return std::size_t(r.compressedSize) + r.uncompressedSize + kLendMargin;
}

}  // namespace

bool DecodeAhead::suits(const TZipHeaderInfo& h) {
    if (h.encrypted() || (h.flags & kFlagStrongEncryption) || !methodSupported(h.compressionMethod)) return false;
    // An offset beyond any file is left to the caller, which reports it.
    return h.compressedSize > 0 && h.compressedSize <= kMemberLimit && h.uncompressedSize <= kMemberLimit &&
           h.relativeOffset < (std::uint64_t(1) << 62);
}

DecodeAhead::Request DecodeAhead::requestFor(int index, const TZipHeaderInfo& h) {
    Request r;
    r.headerOffset = h.relativeOffset;
    // Both within the member limit (see suits).
    r.compressedSize = std::uint32_t(h.compressedSize);
    r.uncompressedSize = std::uint32_t(h.uncompressedSize);
    r.crc32 = h.crc32;
    r.index = index;
    r.method = h.compressionMethod;
    r.flags = h.flags;
    return r;
}

DecodeAhead::DecodeAhead(int archiveFd, std::vector<Request> requests, unsigned workers, std::size_t budget)
    : fd_(::fcntl(archiveFd, F_DUPFD_CLOEXEC, 0)), budget_(budget), requests_(std::move(requests)) {
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "duplicating the archive descriptor");
    try {
        threads_.reserve(workers);
        for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { work(); });
    } catch (...) {
        stopWorkers();
        throw;
    }
}

DecodeAhead::~DecodeAhead() { stopWorkers(); }

void DecodeAhead::stopWorkers() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    workerWake_.notify_all();
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
    threads_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::optional<DecodeAhead::Decoded> DecodeAhead::take(int index, std::uint64_t dataStart,
                                                      std::uint64_t compressedSize) {
    std::shared_ptr<Job> job;
    {
        std::unique_lock lock(mutex_);
        while (!begun_.empty() && begun_.front()->request.index < index) dropFront();
        while (front_ < requests_.size() && requests_[front_].index < index) ++front_;
        next_ = std::max(next_, front_);
        if (!begun_.empty() && begun_.front()->request.index == index) {
            job = begun_.front();
            callerWake_.wait(lock, [&] { return job->finished; });
            begun_.pop_front();
            used_ -= job->cost;
            ++front_;
        } else if (front_ < requests_.size() && requests_[front_].index == index) {
            // No worker has begun it: the caller decodes it rather than wait.
            ++front_;
            next_ = std::max(next_, front_);
        }
    }
    workerWake_.notify_all();
    if (!job || !job->ok || job->dataStart != dataStart || job->request.compressedSize != compressedSize)
        return std::nullopt;
    return std::move(job->result);
}

void DecodeAhead::giveBack(Decoded decoded) {
    if (!decoded.bytes) return;
    std::lock_guard lock(mutex_);
    if (spareBytes_ + decoded.capacity > kSpareLimit) return;  // freed on the way out
    spareBytes_ += decoded.capacity;
    spares_.push_back(std::move(decoded));
}

DecodeAhead::Decoded DecodeAhead::room(std::size_t size) {
    const std::size_t needed = size + kLendMargin;
    {
        std::lock_guard lock(mutex_);
        // The smallest spare that fits, so the large ones stay for large members.
        auto best = spares_.end();
        for (auto it = spares_.begin(); it != spares_.end(); ++it)
            if (it->capacity >= needed && (best == spares_.end() || it->capacity < best->capacity)) best = it;
        if (best != spares_.end()) {
            Decoded spare = std::move(*best);
            spares_.erase(best);
            spareBytes_ -= spare.capacity;
            return spare;
        }
    }
    // Rounded up to a power of two, so that spares fit the members that follow.
    Decoded fresh;
    fresh.capacity = std::bit_ceil(std::max<std::size_t>(needed, 64u << 10));
    fresh.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(fresh.capacity);
    return fresh;
}

void DecodeAhead::dropFront() {
    const std::shared_ptr<Job> job = begun_.front();
    begun_.pop_front();
    if (job->finished)
        used_ -= job->cost;
    else
        job->dropped = true;
}

void DecodeAhead::work() {
    WorkerRoom room;
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            workerWake_.wait(lock, [&] {
                if (stop_) return true;
                if (next_ >= requests_.size()) return false;
                // The caller's next member may always be decoded; later ones within the budget.
                return next_ == front_ || used_ + costOf(requests_[next_]) <= budget_;
            });
            if (stop_) return;
            job = std::make_shared<Job>(requests_[next_++]);
            job->cost = costOf(job->request);
            used_ += job->cost;
            begun_.push_back(job);
        }
        decode(*job, room);
        Decoded unwanted;
        {
            std::lock_guard lock(mutex_);
            // The compressed bytes are gone; the decoded ones stay charged until taken,
            // unless they are of no use.
            const std::size_t freed = job->ok ? std::size_t(job->request.compressedSize) : job->cost;
            job->cost -= freed;
            used_ -= freed;
            job->finished = true;
            if (job->dropped) {
                used_ -= job->cost;
                unwanted = std::move(job->result);
            }
        }
        callerWake_.notify_all();
        workerWake_.notify_all();
        giveBack(std::move(unwanted));
    }
}

void DecodeAhead::decode(Job& job, WorkerRoom& packedRoom) {
    const Request& r = job.request;
    std::uint8_t raw[LocalHeader::kFixedSize];
    LocalHeader local;
    if (!readAt(fd_, raw, sizeof raw, r.headerOffset) || !local.decodeFixed(raw)) return;
    job.dataStart = r.headerOffset + local.size();
    try {
        job.result = room(r.uncompressedSize);
        job.result.size = r.uncompressedSize;
        job.ok = decodeInto(job.result.bytes.get(), r, job.dataStart, packedRoom) &&
                 crc32(job.result.bytes.get(), job.result.size) == r.crc32;
    } catch (...) {
        // Whatever failed here is met again, and reported, when the caller decodes it.
    }
    if (!job.ok) giveBack(std::exchange(job.result, Decoded()));
}

bool DecodeAhead::decodeInto(std::uint8_t* bytes, const Request& r, std::uint64_t dataStart, WorkerRoom& packedRoom) {
    const std::size_t packed = r.compressedSize, size = r.uncompressedSize;
    // Stored bytes are the member: read straight into the result.
    if (r.method == kMethodStored) return packed == size && readAt(fd_, bytes, size, dataStart);
    if (packedRoom.capacity < packed) {
        packedRoom.packed.reset();
        packedRoom.packed = std::make_unique_for_overwrite<std::uint8_t[]>(packed);
        packedRoom.capacity = packed;
    }
    if (!readAt(fd_, packedRoom.packed.get(), packed, dataStart)) return false;
    HeldInput in(packedRoom.packed.get(), packed);
    HeldOutput out(bytes, size);
    DecodeParams params;
    params.method = r.method;
    params.flags = r.flags;
    params.compressedSize = r.compressedSize;
    params.uncompressedSize = r.uncompressedSize;
    return decodeMember(in, out, params) == DecodeStatus::Complete && out.written() == size;
}

}  // namespace zb::zip
