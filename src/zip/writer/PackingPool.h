// The writer's workers: they open, read, checksum and compress the files of a run
// ahead of the writer, each with its own compressor, while the writer (on the caller's
// thread, where every event is raised) takes the packed files one at a time in the
// order they were queued and puts them into the archive.
//
// Memory in flight is bounded whatever the file sizes: a worker hands its file over in
// pieces and waits while the pieces not yet taken fill the budget. The member next in
// line for the writer may always add pieces up to a share of its own, so the writer
// never waits for memory that only later members hold.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "zip/writer/PackedMember.h"

namespace zb::zip {

class PackingPool {
public:
    static constexpr std::size_t kDefaultBudget = 64u << 20;

    PackingPool(unsigned workers, std::size_t budget = kDefaultBudget);
    ~PackingPool();  // stops the workers; members not taken are dropped
    PackingPool(const PackingPool&) = delete;
    PackingPool& operator=(const PackingPool&) = delete;

    // Queues a file to be packed (see PackedMember for the arguments).
    void submit(const std::string& path, int level, bool crcPass, bool keepLinks);
    // Members queued and not yet taken.
    std::size_t queued() const;
    // Bytes handed over by the workers and not yet taken by the writer.
    std::size_t inFlight() const;

    // The writer's side, one member at a time in the order they were queued.
    // Takes the next member once a worker has opened its file (or found it gone).
    PackedMember& take();
    // The taken member's next piece; false once there is none left (the member's
    // ending is then known). Raises what the worker failed with.
    bool nextPiece(PackedPiece& piece);
    // Done with the taken member: a worker still at it stops.
    void drop();

private:
    struct Job {
        explicit Job(std::unique_ptr<PackedMember> m) : member(std::move(m)) {}
        std::unique_ptr<PackedMember> member;
        std::deque<PackedPiece> pieces;
        std::size_t buffered = 0;  // the cost of `pieces`
        bool openDone = false;
        // A small file wakes the writer once, when it is packed, rather than when it
        // is opened and again for its one piece: on a tree of small files those
        // wake-ups cost more than the packing.
        bool quiet = false;
        bool finished = false;
        std::exception_ptr failure;
    };

    void work();
    void packJob(Job& job, Deflater& deflater);
    void publish(Job& job, PackedPiece& piece);

    const std::size_t budget_;
    const std::size_t headShare_;
    mutable std::mutex mutex_;
    std::condition_variable jobWake_;           // idle workers: a job was queued
    std::condition_variable roomWake_;          // workers handing over: the budget has room
    std::condition_variable writerWake_;        // the writer: a piece or an ending came
    std::deque<std::shared_ptr<Job>> order_;    // queued, not dropped; the front is the writer's
    std::deque<std::shared_ptr<Job>> waiting_;  // not yet started by a worker
    bool taken_ = false;                        // the writer holds order_.front()
    std::size_t used_ = 0;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace zb::zip
