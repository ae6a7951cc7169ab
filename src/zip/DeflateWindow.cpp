// Window filling and sliding for the compressor (see DeflateWindow.h).
#include "zip/DeflateWindow.h"

#include <algorithm>
#include <cstring>

namespace zb::zip::deflate {

DeflateWindow::DeflateWindow()
    : data_(new std::uint8_t[kWindowBuffer + kTail]()),
      head_(new std::uint16_t[kHashSize]()),
      chain_(new std::uint16_t[kWindowSize]()),
      head4_(new std::uint16_t[kHashSize]()),
      chain4_(new std::uint16_t[kWindowSize]()),
      number_(new std::uint16_t[kWindowSize]())
{
}

void DeflateWindow::start(DeflateSource& source, bool longChains)
{
    source_ = &source;
    longChains_ = longChains;
    std::fill(head_.get(), head_.get() + kHashSize, std::uint16_t{0});
    if (longChains) {
        std::fill(head4_.get(), head4_.get() + kHashSize, std::uint16_t{0});
    }
    strstart = 0;
    lookahead = 0;
    blockStart = 0;
    matchStart = 0;
    hash = 0;
    atEnd = false;

    dirtyEnd_ = std::max(dirtyEnd_, kWindowSize);
    const std::size_t n = source.read(data_.get(), kWindowSize);
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

void DeflateWindow::fill()
{
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

void DeflateWindow::slide()
{
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
    rebase(head_.get(), kHashSize);
    rebase(chain_.get(), kWindowSize);
    if (longChains_) {
        rebase(head4_.get(), kHashSize);
        rebase(chain4_.get(), kWindowSize);
    }
}

void DeflateWindow::reachedEnd()
{
    atEnd = true;
    const unsigned end = strstart + lookahead;
    if (dirtyEnd_ > end) {
        std::memset(data_.get() + end, 0, dirtyEnd_ - end);
        dirtyEnd_ = end;
    }
}

}  // namespace zb::zip::deflate
