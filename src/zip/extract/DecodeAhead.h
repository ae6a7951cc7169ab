// Decoding ahead of extraction: while the caller's thread does the file-system work of
// one member (temporary file, writing, mode, time, rename), workers read the next
// members' compressed bytes through their own descriptor of the archive (pread, so no
// shared file position), decode them into memory and check their CRC and size.
//
// The caller takes the results one member at a time, in the order they were listed.
// A result is handed over only when the member decoded whole and true; anything else
// (corrupt data, a size that lies, a read error, a different local header) yields
// nothing, and the caller decodes the member itself as it always did, so every failure
// is reported exactly as without workers. The workers never touch the destination and
// raise no events.
//
// Memory is bounded: only members up to kMemberLimit (both sizes) are listed, and the
// results not yet taken, with the members being decoded, stay within the budget; the
// member next in line may always be decoded, so the caller never waits on memory. The
// memory of taken results comes back to be decoded into again.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace zb::zip {

class TZipHeaderInfo;

class DecodeAhead {
public:
    // Larger members are decoded by the caller through its small buffers, as before:
    // whole in memory they cost more in fresh pages than the overlap wins. A few MiB in
    // flight keep a worker well ahead of file creation.
    static constexpr std::uint64_t kMemberLimit = 1u << 20;
    static constexpr std::size_t kDefaultBudget = 8u << 20;

    // What a worker needs to know of a member, taken from its central record.
    // (One per member of the run: kept small for archives of a million members.)
    struct Request {
        std::uint64_t headerOffset = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t uncompressedSize = 0;
        std::uint32_t crc32 = 0;
        int index = 0;
        std::uint16_t method = 0;
        std::uint16_t flags = 0;
    };

    // A member decoded whole, with its CRC and size as the central record states.
    struct Decoded {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t size = 0;
        std::size_t capacity = 0;  // of `bytes`
    };

    // Whether a member is worth decoding ahead and may be: not encrypted, of a method
    // the engine decodes, not empty, within the member limit.
    static bool suits(const TZipHeaderInfo& h);
    static Request requestFor(int index, const TZipHeaderInfo& h);

    // `archiveFd` is duplicated; the caller's descriptor and its position stay its own.
    // Raises std::system_error when no descriptor or thread can be had.
    DecodeAhead(int archiveFd, std::vector<Request> requests, unsigned workers, std::size_t budget = kDefaultBudget);
    ~DecodeAhead();  // stops and joins the workers; results not taken are dropped
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // The decoded member `index` when a worker decoded it whole and true from the data
    // at `dataStart` with `compressedSize` bytes (what the caller found in the local
    // header); empty otherwise. Members listed before `index` and not taken are
    // dropped (the caller passed them by). A member no worker has started yet is left
    // to the caller rather than waited for.
    std::optional<Decoded> take(int index, std::uint64_t dataStart, std::uint64_t compressedSize);
    // Hands a taken member's memory back to be decoded into again: fresh memory costs
    // the kernel a page fault and a cleared page per page, memory used before does not.
    void giveBack(Decoded decoded);

private:
    // A member a worker has begun.
    struct Job {
        explicit Job(const Request& r) : request(r) {}
        Request request;
        std::size_t cost = 0;  // charged to the budget while the job is held
        bool finished = false;
        bool dropped = false;
        bool ok = false;
        std::uint64_t dataStart = 0;
        Decoded result;
    };

    // What a worker keeps from job to job: room for the compressed bytes.
    struct WorkerRoom {
        std::unique_ptr<std::uint8_t[]> packed;
        std::size_t capacity = 0;
    };

    void work();
    void decode(Job& job, WorkerRoom& room);
    // Reads and decodes a member into `bytes`; true when it came out whole, of its size.
    bool decodeInto(std::uint8_t* bytes, const Request& r, std::uint64_t dataStart, WorkerRoom& packedRoom);
    // Memory for `size` decoded bytes and the decoder's margin: a spare one when it fits.
    Decoded room(std::size_t size);
    // Removes the caller's next begun job; its charge goes once no worker holds it.
    void dropFront();
    // Stops and joins the workers and gives the descriptor back.
    void stopWorkers();

    int fd_;
    const std::size_t budget_;
    std::mutex mutex_;
    std::condition_variable workerWake_;  // a job to start, room in the budget, or the end
    std::condition_variable callerWake_;  // a job finished
    const std::vector<Request> requests_;
    std::size_t next_ = 0;                    // the first request no worker has begun
    std::size_t front_ = 0;                   // the first request the caller has not passed
    std::deque<std::shared_ptr<Job>> begun_;  // begun, not yet taken or dropped, in order
    std::size_t used_ = 0;
    std::vector<Decoded> spares_;  // given back, at most kSpareLimit bytes
    std::size_t spareBytes_ = 0;
    static constexpr std::size_t kSpareLimit = kDefaultBudget + 2 * kMemberLimit;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace zb::zip
