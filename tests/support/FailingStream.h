// Failing input and output for the fault-injection tests.
// - FailingStream wraps any engine stream and lets a number of bytes through, reading
//   or writing, after which every call comes back short, as a failing device does.
// - FileFaultPlan is the same for the engine's files: installed through the file
//   streams' fault seam (zip/FileFaults.h), it counts the bytes asked of the files a
//   test picks (reads) or given to them (writes) and fails every call once the budget
//   is spent. Set up with
//   no budget it only counts, so a test can first measure how many bytes a run moves
//   and then fail it after every one of them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "zip/io/FileFaults.h"
#include "zip/io/TStream.h"

namespace zb::test {

// How many of `size` bytes may still move within `budget`; counts them in `used` and
// notes in `tripped` when the budget cut a request short.
inline std::size_t allowWithin(std::uint64_t budget, std::uint64_t& used, bool& tripped, std::size_t size) {
    const std::size_t n = std::size_t(std::min<std::uint64_t>(size, budget - used));
    used += n;
    if (n < size) tripped = true;
    return n;
}

enum class FaultSide { Read, Write };

class FailingStream : public zip::TStream {
public:
    FailingStream(zip::TStream& inner, FaultSide side, std::uint64_t budget)
        : inner_(inner), side_(side), budget_(budget) {}

    std::size_t read(void* buffer, std::size_t size) override {
        return inner_.read(buffer, side_ == FaultSide::Read ? allow(size) : size);
    }
    std::size_t write(const void* buffer, std::size_t size) override {
        return inner_.write(buffer, side_ == FaultSide::Write ? allow(size) : size);
    }
    std::int64_t seek(std::int64_t offset, int origin) override { return inner_.seek(offset, origin); }
    std::int64_t size() override { return inner_.size(); }
    void truncate() override { inner_.truncate(); }

    bool tripped() const { return tripped_; }
    std::uint64_t used() const { return used_; }

private:
    std::size_t allow(std::size_t size) { return allowWithin(budget_, used_, tripped_, size); }

    zip::TStream& inner_;
    FaultSide side_;
    std::uint64_t budget_;
    std::uint64_t used_ = 0;
    bool tripped_ = false;
};

class FileFaultPlan : public zip::FileFaults {
public:
    static constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();
    using Which = std::function<bool(const std::filesystem::path&)>;

    // Counts (and after `budget` bytes fails) the reads or the writes of the files for
    // which `which` is true; installed for its lifetime.
    FileFaultPlan(FaultSide side, std::uint64_t budget, Which which)
        : side_(side), budget_(budget), which_(std::move(which)) {
        zip::setFileFaults(this);
    }
    ~FileFaultPlan() override {
        zip::setFileFaults(nullptr);
        if (usedOut_) *usedOut_ = used_;
        if (trippedOut_) *trippedOut_ = tripped_;
    }
    FileFaultPlan(const FileFaultPlan&) = delete;
    FileFaultPlan& operator=(const FileFaultPlan&) = delete;

    std::size_t allowRead(const std::filesystem::path& path, std::size_t size) override {
        return side_ == FaultSide::Read && which_(path) ? allow(size) : size;
    }
    std::size_t allowWrite(const std::filesystem::path& path, std::size_t size) override {
        return side_ == FaultSide::Write && which_(path) ? allow(size) : size;
    }

    bool tripped() const { return tripped_; }
    std::uint64_t used() const { return used_; }
    // Where to leave the counts when the plan ends (for plans owned by someone else).
    void reportTo(std::uint64_t* used, bool* tripped) {
        usedOut_ = used;
        trippedOut_ = tripped;
    }

private:
    std::size_t allow(std::size_t size) { return allowWithin(budget_, used_, tripped_, size); }

    std::uint64_t* usedOut_ = nullptr;
    bool* trippedOut_ = nullptr;
    FaultSide side_;
    std::uint64_t budget_;
    Which which_;
    std::uint64_t used_ = 0;
    bool tripped_ = false;
};

// The budgets a fault test tries for a run that moves `total` bytes: every one below
// `everyByteUpTo` (where a small archive's records are), then evenly spread steps of an
// odd size (so they fall at every offset within the blocks the engine moves) up to
// `total`, at most `maxPoints` in all.
inline std::vector<std::uint64_t> faultPoints(std::uint64_t total, std::uint64_t everyByteUpTo = 2048,
                                              std::size_t maxPoints = 800) {
    std::vector<std::uint64_t> points;
    const std::uint64_t dense = std::min(total, everyByteUpTo);
    for (std::uint64_t n = 0; n < dense; ++n) points.push_back(n);
    if (total > dense) {
        const std::uint64_t room = maxPoints > points.size() ? maxPoints - points.size() : 1;
        std::uint64_t step = std::max<std::uint64_t>(1, (total - dense) / room) | 1;
        for (std::uint64_t n = dense; n < total; n += step) points.push_back(n);
    }
    return points;
}

// Selectors for FileFaultPlan.
inline FileFaultPlan::Which isFile(const std::filesystem::path& p) {
    return [p](const std::filesystem::path& q) { return q == p; };
}
inline FileFaultPlan::Which isInside(const std::filesystem::path& folder) {
    return [folder](const std::filesystem::path& q) {
        const auto rel = q.lexically_normal().lexically_relative(folder.lexically_normal());
        return !rel.empty() && *rel.begin() != "..";
    };
}

}  // namespace zb::test
