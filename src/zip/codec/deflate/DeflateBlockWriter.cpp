// Block choice and block output of the compressor (see DeflateBlockWriter.h).
#include "zip/codec/deflate/DeflateBlockWriter.h"

#include "zip/codec/deflate/DeflateCodeTables.h"

#include <algorithm>

namespace zb::zip::deflate {

DeflateBlockWriter::DeflateBlockWriter() {
    makeCodes(kFixedLitLenLengths.data(), kFixedLitLenSymbols, fixedLitCodes_.data());
    fixedDistLengths_.fill(kFixedDistanceLength);
    makeCodes(fixedDistLengths_.data(), kDistanceCodes, fixedDistCodes_.data());
}

void DeflateBlockWriter::startMember() {
    textDecided_ = false;
    emitted_ = false;
    storedWhole_ = false;
    internalAttributes_ = 1;
}

void DeflateBlockWriter::flush(DeflateTally& tally, DeflateBitWriter& out, const std::uint8_t* input,
                               std::uint64_t length, bool last) {
    if (!textDecided_) {
        decideText(tally);
    }
    const std::uint64_t dynamicBits = buildDynamic(tally);
    const std::uint64_t staticBits = fixedBits(tally);
    const std::uint64_t staticBytes = (staticBits + 3 + 7) / 8;
    const std::uint64_t optBytes = std::min((dynamicBits + 3 + 7) / 8, staticBytes);
    const unsigned lastBit = last ? 1u : 0u;

    if (length <= optBytes && last && !emitted_ && input != nullptr) {
        // Coding does not pay for the member as a whole: it goes out as it is.
        out.alignAndFlush();
        out.writeRaw(input, length);
        storedWhole_ = true;
    } else if (length + 4 <= optBytes && input != nullptr && length <= 0xFFFF) {
        // (A block still in the window is always shorter than 64 KiB; the length
        // test only keeps the 16-bit length field honest.)
        out.put((kStoredBlock << 1) | lastBit, 3);
        out.alignAndFlush();
        out.put(length, 16);
        out.put(~length & 0xFFFFu, 16);
        out.alignAndFlush();
        out.writeRaw(input, length);
    } else if (staticBytes == optBytes) {
        out.put((kFixedBlock << 1) | lastBit, 3);
        sendData(tally, out, fixedLitCodes_.data(), kFixedLitLenLengths.data(), fixedDistCodes_.data(),
                 fixedDistLengths_.data());
    } else {
        out.put((kDynamicBlock << 1) | lastBit, 3);
        sendDynamicHeader(out);
        sendData(tally, out, litCodes_.data(), litLengths_.data(), distCodes_.data(), distLengths_.data());
    }
    emitted_ = true;
    tally.clear();
    if (last && !storedWhole_) {
        out.alignAndFlush();
    }
}

void DeflateBlockWriter::decideText(const DeflateTally& tally) {
    std::uint64_t binary = 0;
    std::uint64_t text = 0;
    for (unsigned byte = 0; byte < kLiterals; ++byte) {
        if (byte <= 6 || byte >= 128) {
            binary += tally.litLenFreq[byte];
        } else {
            text += tally.litLenFreq[byte];
        }
    }
    internalAttributes_ = binary > text / 4 ? 0 : 1;
    textDecided_ = true;
}

std::uint64_t DeflateBlockWriter::buildDynamic(const DeflateTally& tally) {
    const int maxLit = buildCodeLengths(tally.litLenFreq.data(), kLitLenCodes, kMaxBits, litLengths_.data());
    const int maxDist = buildCodeLengths(tally.distanceFreq.data(), kDistanceCodes, kMaxBits, distLengths_.data());
    litCount_ = static_cast<unsigned>(maxLit + 1);
    distCount_ = static_cast<unsigned>(maxDist + 1);
    makeCodes(litLengths_.data(), kLitLenCodes, litCodes_.data());
    makeCodes(distLengths_.data(), kDistanceCodes, distCodes_.data());

    std::uint64_t bits = 0;
    for (unsigned n = 0; n < kLitLenCodes; ++n) {
        bits += std::uint64_t{tally.litLenFreq[n]} * litLengths_[n];
    }
    for (unsigned code = 0; code < kLengthCodes; ++code) {
        bits += std::uint64_t{tally.litLenFreq[kLiterals + 1 + code]} * kLengthExtraBits[code];
    }
    for (unsigned code = 0; code < kDistanceCodes; ++code) {
        bits += std::uint64_t{tally.distanceFreq[code]} * (distLengths_[code] + kDistanceExtraBits[code]);
    }

    runCount_ = 0;
    addRuns(litLengths_.data(), litCount_);
    addRuns(distLengths_.data(), distCount_);
    std::array<std::uint32_t, kCodeLengthCodes> clFreq{};
    for (unsigned i = 0; i < runCount_; ++i) {
        ++clFreq[runs_[i].symbol];
    }
    buildCodeLengths(clFreq.data(), kCodeLengthCodes, kMaxCodeLengthBits, clLengths_.data());
    makeCodes(clLengths_.data(), kCodeLengthCodes, clCodes_.data());
    clCount_ = kCodeLengthCodes;
    while (clCount_ > 4 && clLengths_[kCodeLengthOrder[clCount_ - 1]] == 0) {
        --clCount_;
    }
    for (unsigned s = 0; s < kCodeLengthCodes; ++s) {
        bits += std::uint64_t{clFreq[s]} * (clLengths_[s] + kCodeLengthExtraBits[s]);
    }
    return bits + 3 * clCount_ + 5 + 5 + 4;
}

// Run-length codes a sequence of code lengths: runs of zeros with 17 (3-10) and 18
// (11-138), repeats of a non-zero length with 16 (3-6 more after the length itself).
void DeflateBlockWriter::addRuns(const std::uint8_t* lengths, unsigned count) {
    auto push = [this](unsigned symbol, unsigned extra) {
        runs_[runCount_++] = {static_cast<std::uint8_t>(symbol), static_cast<std::uint8_t>(extra)};
    };
    unsigned i = 0;
    while (i < count) {
        const unsigned len = lengths[i];
        unsigned run = 1;
        while (i + run < count && lengths[i + run] == len) {
            ++run;
        }
        i += run;
        if (len == 0) {
            while (run >= 11) {
                const unsigned n = std::min(run, 138u);
                push(18, n - 11);
                run -= n;
            }
            if (run >= 3) {
                push(17, run - 3);
                run = 0;
            }
        } else {
            push(len, 0);
            --run;
            while (run >= 3) {
                const unsigned n = std::min(run, 6u);
                push(16, n - 3);
                run -= n;
            }
        }
        for (; run > 0; --run) {
            push(len, 0);
        }
    }
}

std::uint64_t DeflateBlockWriter::fixedBits(const DeflateTally& tally) const {
    std::uint64_t bits = 0;
    for (unsigned n = 0; n < kLitLenCodes; ++n) {
        bits += std::uint64_t{tally.litLenFreq[n]} * kFixedLitLenLengths[n];
    }
    for (unsigned code = 0; code < kLengthCodes; ++code) {
        bits += std::uint64_t{tally.litLenFreq[kLiterals + 1 + code]} * kLengthExtraBits[code];
    }
    for (unsigned code = 0; code < kDistanceCodes; ++code) {
        bits += std::uint64_t{tally.distanceFreq[code]} * (kFixedDistanceLength + kDistanceExtraBits[code]);
    }
    return bits;
}

void DeflateBlockWriter::sendDynamicHeader(DeflateBitWriter& out) const {
    out.put(litCount_ - 257, 5);
    out.put(distCount_ - 1, 5);
    out.put(clCount_ - 4, 4);
    for (unsigned i = 0; i < clCount_; ++i) {
        out.put(clLengths_[kCodeLengthOrder[i]], 3);
    }
    for (unsigned i = 0; i < runCount_; ++i) {
        const unsigned symbol = runs_[i].symbol;
        out.put(clCodes_[symbol], clLengths_[symbol]);
        if (symbol >= 16) {
            out.put(runs_[i].extra, kCodeLengthExtraBits[symbol]);
        }
        out.drainIfFull();
    }
}

void DeflateBlockWriter::sendData(const DeflateTally& tally, DeflateBitWriter& out, const std::uint16_t* litCodes,
                                  const std::uint8_t* litLengths, const std::uint16_t* distCodes,
                                  const std::uint8_t* distLengths) const {
    // Each length index with its code and extra bits as one field.
    std::array<std::uint32_t, 256> lengthField;
    std::array<std::uint8_t, 256> lengthBits;
    for (unsigned lc = 0; lc < 256; ++lc) {
        const unsigned code = kLengthCodeOf[lc];
        const unsigned symbol = kLiterals + 1 + code;
        const unsigned extra = lc - (kLengthBase[code] - kMinMatch);
        lengthField[lc] = litCodes[symbol] | (extra << litLengths[symbol]);
        lengthBits[lc] = static_cast<std::uint8_t>(litLengths[symbol] + kLengthExtraBits[code]);
    }
    const std::uint32_t* entries = tally.entries();
    const unsigned count = tally.count();
    for (unsigned i = 0; i < count; ++i) {
        const std::uint32_t entry = entries[i];
        const unsigned distance = entry >> 8;
        const unsigned lc = entry & 0xFF;
        if (distance == 0) {
            out.put(litCodes[lc], litLengths[lc]);
        } else {
            out.put(lengthField[lc], lengthBits[lc]);
            const unsigned d = distance - 1;
            const unsigned code = distanceCode(d);
            const unsigned extra = d - (kDistanceBase[code] - 1);
            out.put(distCodes[code] | (extra << distLengths[code]), distLengths[code] + kDistanceExtraBits[code]);
        }
        out.drainIfFull();
    }
    out.put(litCodes[kEndOfBlock], litLengths[kEndOfBlock]);
}

}  // namespace zb::zip::deflate
