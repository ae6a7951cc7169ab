// Window filling and sliding for the compressor (see DeflateWindow.h).
#include "zip/codec/deflate/DeflateWindow.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zb::zip::deflate {

DeflateWindow::DeflateWindow()
    : data_(new std::uint8_t[kWindowBuffer + kTail]()),
      head_(new std::uint16_t[kHashSize]()),
      chain_(new std::uint16_t[kWindowSize]()),
      afterNext_(new std::uint16_t[kWindowSize]()),
      headLong_(new std::uint32_t[kHashSize]()),
      head4_(new std::uint16_t[LongChains::kHash4Size]()),
      link4_(new std::uint32_t[kWindowSize]()) {}

void DeflateWindow::start(DeflateSource& source, bool longChainsAllowed) {
    source_ = &source;
    strstart = 0;
    lookahead = 0;
    blockStart = 0;
    matchStart = 0;
    hash = 0;
    atEnd = false;

    dirtyEnd_ = std::max(dirtyEnd_, kWindowSize);
    const std::size_t n = source.read(data_.get(), kWindowSize);
    longChains_ = longChainsAllowed && chainsWouldPay(data_.get(), n);
    if (longChains_) {
        std::fill(headLong_.get(), headLong_.get() + kHashSize, std::uint32_t{0});
        std::fill(head4_.get(), head4_.get() + LongChains::kHash4Size, std::uint16_t{0});
    } else {
        std::fill(head_.get(), head_.get() + kHashSize, std::uint16_t{0});
    }
    if (n == 0) {
        reachedEnd();
        return;
    }
    lookahead = static_cast<unsigned>(n);
    while (lookahead < kMinLookahead && !atEnd) {
        fill();
    }
    hash = ((hash << kHashShift) ^ data_[0]) & kHashMask;
    hash = ((hash << kHashShift) ^ data_[1]) & kHashMask;
}

// Whether the four-byte chains are likely to pay for their upkeep: the data is binary
// by the measure of the member's text/binary decision, and short strings do repeat
// (in incompressible data the chains stay short and there is nothing to skip).
bool DeflateWindow::chainsWouldPay(const std::uint8_t* data, std::size_t size) {
    std::size_t binary = 0;
    for (std::size_t i = 0; i < size; ++i) {
        binary += (data[i] <= 6 || data[i] >= 128) ? 1u : 0u;
    }
    if (binary <= (size - binary) / 4) {
        return false;
    }
    constexpr std::size_t kProbe = 4096;
    const std::size_t probe = std::min(size, kProbe + 2) - std::min<std::size_t>(size, 2);
    std::vector<bool> seen(kHashSize);
    std::size_t repeats = 0;
    for (std::size_t i = 0; i < probe; ++i) {
        const unsigned h = ((data[i] << 10) ^ (data[i + 1] << 5) ^ data[i + 2]) & kHashMask;
        repeats += seen[h] ? 1u : 0u;
        seen[h] = true;
    }
    return repeats * 4 > probe;
}

void DeflateWindow::fill() {
    // The free room as a 16-bit quantity: a full 65536 would read as 0, and 65535
    // stands for "unknown" and is taken one lower.
    unsigned more = (kWindowBuffer - lookahead - strstart) & 0xFFFFu;
    if (more == 0xFFFFu) {
        --more;
    }
    if (strstart >= kSlideAt) {
        slide();
        more += kWindowSize;
    }
    const unsigned at = strstart + lookahead;
    dirtyEnd_ = std::max(dirtyEnd_, at + more);
    const std::size_t n = source_->read(data_.get() + at, more);
    if (n == 0) {
        reachedEnd();
    } else {
        lookahead += static_cast<unsigned>(n);
    }
}

void DeflateWindow::slide() {
    std::memcpy(data_.get(), data_.get() + kWindowSize, kWindowSize);
    matchStart -= kWindowSize;
    strstart -= kWindowSize;
    blockStart -= static_cast<long>(kWindowSize);
    // Positions that slid out of the window are forgotten (0 ends a chain).
    auto rebase = [](std::uint16_t* table, unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            const unsigned v = table[i];
            table[i] = static_cast<std::uint16_t>(v >= kWindowSize ? v - kWindowSize : 0);
        }
    };
    rebase(chain_.get(), kWindowSize);
    if (longChains_) {
        // Only the position halves move; the numbers stay.
        auto rebaseLow = [](std::uint32_t* table, unsigned count) {
            for (unsigned i = 0; i < count; ++i) {
                const std::uint32_t v = table[i];
                const std::uint32_t low = v & 0xFFFFu;
                table[i] = (v & 0xFFFF0000u) | (low >= kWindowSize ? low - kWindowSize : 0);
            }
        };
        rebaseLow(headLong_.get(), kHashSize);
        rebase(head4_.get(), LongChains::kHash4Size);
        rebaseLow(link4_.get(), kWindowSize);
    } else {
        rebase(head_.get(), kHashSize);
        rebase(afterNext_.get(), kWindowSize);  // only the plain chains keep the second link
    }
}

void DeflateWindow::reachedEnd() {
    atEnd = true;
    const unsigned end = strstart + lookahead;
    if (dirtyEnd_ > end) {
        std::memset(data_.get() + end, 0, dirtyEnd_ - end);
        dirtyEnd_ = end;
    }
}

}  // namespace zb::zip::deflate
