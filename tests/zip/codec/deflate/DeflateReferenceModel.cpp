// The plain model of the compressor's decisions (see DeflateReferenceModel.h).
#include "zip/codec/deflate/DeflateReferenceModel.h"

#include <algorithm>
#include <cstdint>

namespace zb::zip::test {
namespace {

struct Row {
    unsigned good, lazy, nice, chain;
};
// Typed in again from the level table, so a slip in either copy shows.
constexpr Row kRows[10] = {{0, 0, 0, 0},         {4, 4, 8, 4},        {4, 5, 16, 8},     {4, 6, 32, 32},
                           {4, 4, 16, 16},       {8, 16, 32, 32},     {8, 16, 128, 128}, {8, 32, 128, 256},
                           {32, 128, 258, 1024}, {32, 258, 258, 4096}};

unsigned distanceCodeOf(unsigned distance) {
    unsigned code = 0;
    static constexpr unsigned base[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                          33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                          1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    while (code + 1 < 30 && base[code + 1] <= distance) {
        ++code;
    }
    return code;
}

class Model {
public:
    Model(const Bytes& data, int level)
        : n_(data.size()), row_(kRows[level]), level_(level), chain_(data.size() + 1, 0) {
        p_ = data;
        p_.resize(data.size() + 600, 0);
    }

    ReferenceRun run() {
        // First request, then top up while the lookahead is short.
        filledEnd_ = read(32768);
        if (filledEnd_ == 0) {
            atEnd_ = true;
        } else {
            topUp();
        }
        hash_ = ((hash_ << 5) ^ p_[0]) & 0x7FFF;
        hash_ = ((hash_ << 5) ^ p_[1]) & 0x7FFF;
        if (level_ <= 3) {
            greedy();
        } else {
            lazy();
        }
        return out_;
    }

private:
    std::size_t lookahead() const { return filledEnd_ - s_; }
    std::size_t rel(std::size_t abs) const { return abs >= base_ ? abs - base_ : 0; }

    std::size_t read(std::size_t request) {
        out_.reads.push_back(request);
        return std::min(request, n_ - filledEnd_);
    }

    void topUp() {
        while (lookahead() < 262 && !atEnd_) {
            std::size_t more = (65536 - lookahead() - rel(s_)) & 0xFFFF;
            if (more == 65535) {
                more = 65534;
            }
            if (rel(s_) >= 65274) {
                base_ += 32768;
                more += 32768;
            }
            const std::size_t got = read(more);
            if (got == 0) {
                atEnd_ = true;
            } else {
                filledEnd_ += got;
            }
        }
    }

    // Links position `pos`; returns the candidate as a window offset (0 = none).
    std::size_t insert(std::size_t pos) {
        hash_ = ((hash_ << 5) ^ p_[pos + 2]) & 0x7FFF;
        const std::size_t candidate = head_[hash_];
        chain_[pos] = candidate;
        head_[hash_] = pos;
        return rel(candidate) == 0 ? 0 : candidate;
    }

    unsigned longest(std::size_t candidate, unsigned best) {
        unsigned budget = row_.chain;
        if (best >= row_.good) {
            budget /= 4;
        }
        const std::size_t s = rel(s_);
        const std::size_t limit = s > 32506 ? s - 32506 : 0;
        for (;;) {
            unsigned len = 0;
            while (len < 258 && p_[candidate + len] == p_[s_ + len]) {
                ++len;
            }
            if (len > best) {
                best = len;
                matchStart_ = candidate;
                if (len >= row_.nice) {
                    break;
                }
            }
            candidate = chain_[candidate];
            if (rel(candidate) <= limit || --budget == 0) {
                break;
            }
        }
        return best;
    }

    bool tally(unsigned distance, unsigned value) {
        current_.tokens.push_back({distance, value});
        ++entries_;
        if (distance != 0) {
            ++distances_;
            ++distFreq_[distanceCodeOf(distance)];
        }
        if (level_ > 2 && entries_ % 4096 == 0) {
            static constexpr unsigned extra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                   6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
            std::uint64_t bits = std::uint64_t{entries_} * 8;
            for (unsigned c = 0; c < 30; ++c) {
                bits += std::uint64_t{distFreq_[c]} * (5 + extra[c]);
            }
            if (distances_ < entries_ / 2 && bits / 8 < (s_ - blockStart_) / 2) {
                return true;
            }
        }
        return entries_ == 32767;
    }

    void flush() {
        current_.inputBytes = s_ - blockStart_;
        current_.inWindow = blockStart_ >= base_;
        out_.blocks.push_back(std::move(current_));
        current_ = {};
        blockStart_ = s_;
        entries_ = 0;
        distances_ = 0;
        std::fill(std::begin(distFreq_), std::end(distFreq_), 0u);
    }

    bool near(std::size_t candidate) const { return candidate != 0 && s_ - candidate <= 32506; }

    void greedy() {
        std::size_t candidate = 0;
        unsigned length = 0;
        while (lookahead() > 0) {
            if (lookahead() >= 3) {
                candidate = insert(s_);
            }
            if (near(candidate)) {
                length = std::min<unsigned>(longest(candidate, 2), static_cast<unsigned>(lookahead()));
            }
            bool full;
            if (length >= 3) {
                full = tally(static_cast<unsigned>(s_ - matchStart_), length);
                if (length <= row_.lazy) {
                    for (unsigned k = 1; k < length; ++k) {
                        ++s_;
                        insert(s_);
                    }
                    ++s_;
                } else {
                    s_ += length;
                    hash_ = ((p_[s_] << 5) ^ p_[s_ + 1]) & 0x7FFF;
                }
                length = 0;
            } else {
                full = tally(0, p_[s_]);
                ++s_;
            }
            if (full) {
                flush();
            }
            topUp();
        }
        flush();
    }

    void lazy() {
        std::size_t candidate = 0;
        unsigned length = 2;
        bool pending = false;
        while (lookahead() > 0) {
            if (lookahead() >= 3) {
                candidate = insert(s_);
            }
            const unsigned prevLength = length;
            const std::size_t prevMatch = matchStart_;
            length = 2;
            if (near(candidate) && prevLength < row_.lazy) {
                length = std::min<unsigned>(longest(candidate, prevLength), static_cast<unsigned>(lookahead()));
                if (length == 3 && s_ - matchStart_ > 4096) {
                    length = 2;
                }
            }
            if (prevLength >= 3 && length <= prevLength) {
                const bool full = tally(static_cast<unsigned>(s_ - 1 - prevMatch), prevLength);
                const std::size_t end = s_ - 1 + prevLength;
                while (s_ + 1 < end) {
                    ++s_;
                    insert(s_);
                }
                ++s_;
                pending = false;
                length = 2;
                if (full) {
                    flush();
                }
            } else if (pending) {
                if (tally(0, p_[s_ - 1])) {
                    flush();
                }
                ++s_;
            } else {
                pending = true;
                ++s_;
            }
            topUp();
        }
        if (pending) {
            tally(0, p_[s_ - 1]);
        }
        flush();
    }

    std::size_t n_;
    Row row_;
    int level_;
    Bytes p_;
    std::vector<std::size_t> head_ = std::vector<std::size_t>(32768, 0);
    std::vector<std::size_t> chain_;
    unsigned hash_ = 0;
    std::size_t s_ = 0;
    std::size_t base_ = 0;  // absolute position of window offset 0
    std::size_t filledEnd_ = 0;
    bool atEnd_ = false;
    std::size_t blockStart_ = 0;
    std::size_t matchStart_ = 0;
    ReferenceBlock current_;
    unsigned entries_ = 0;
    unsigned distances_ = 0;
    unsigned distFreq_[30] = {};
    ReferenceRun out_;
};

}  // namespace

ReferenceRun referenceRun(const Bytes& data, int level) { return Model(data, level).run(); }

}  // namespace zb::zip::test
