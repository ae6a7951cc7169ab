// Ends a block: decides once per member whether it is text, builds the block's codes,
// and sends the block in the cheapest of the forms the format offers — the whole
// member as raw bytes when it is the only block and coding would not make it
// smaller, a stored block, a block with the fixed code, or one with codes of its own.
#pragma once

#include "zip/codec/deflate/DeflateBitWriter.h"
#include "zip/codec/deflate/DeflateConstants.h"
#include "zip/codec/deflate/DeflateHuffman.h"
#include "zip/codec/deflate/DeflateTally.h"

#include <array>
#include <cstdint>

namespace zb::zip::deflate {

class DeflateBlockWriter {
public:
    DeflateBlockWriter();

    void startMember();

    // Sends the block whose entries are in `tally` and whose input is `length` bytes
    // at `input` (nullptr when those bytes have already slid out of the window), then
    // clears the tally. After the last block the output is aligned and flushed.
    void flush(DeflateTally& tally, DeflateBitWriter& out, const std::uint8_t* input, std::uint64_t length, bool last);

    // The member went out as raw bytes, without deflate framing.
    bool storedWhole() const { return storedWhole_; }
    // 1 text, 0 binary (decided at the first block).
    std::uint16_t internalAttributes() const { return internalAttributes_; }

private:
    struct CodeLengthRun {
        std::uint8_t symbol;  // 0..18
        std::uint8_t extra;   // repeat count minus the code's minimum
    };

    void decideText(const DeflateTally& tally);
    std::uint64_t buildDynamic(const DeflateTally& tally);
    void addRuns(const std::uint8_t* lengths, unsigned count);
    std::uint64_t fixedBits(const DeflateTally& tally) const;
    void sendDynamicHeader(DeflateBitWriter& out) const;
    void sendData(const DeflateTally& tally, DeflateBitWriter& out, const std::uint16_t* litCodes,
                  const std::uint8_t* litLengths, const std::uint16_t* distCodes,
                  const std::uint8_t* distLengths) const;

    bool textDecided_ = false;
    bool emitted_ = false;
    bool storedWhole_ = false;
    std::uint16_t internalAttributes_ = 1;

    // Codes of the current dynamic block.
    std::array<std::uint8_t, kMaxSymbols> litLengths_{};
    std::array<std::uint16_t, kMaxSymbols> litCodes_{};
    std::array<std::uint8_t, kDistanceCodes> distLengths_{};
    std::array<std::uint16_t, kDistanceCodes> distCodes_{};
    std::array<std::uint8_t, kCodeLengthCodes> clLengths_{};
    std::array<std::uint16_t, kCodeLengthCodes> clCodes_{};
    unsigned litCount_ = 0;   // HLIT + 257
    unsigned distCount_ = 0;  // HDIST + 1
    unsigned clCount_ = 0;    // HCLEN + 4
    std::array<CodeLengthRun, kLitLenCodes + kDistanceCodes> runs_{};
    unsigned runCount_ = 0;

    // The fixed code, built once.
    std::array<std::uint16_t, kFixedLitLenSymbols> fixedLitCodes_{};
    std::array<std::uint16_t, kDistanceCodes> fixedDistCodes_{};
    std::array<std::uint8_t, kDistanceCodes> fixedDistLengths_{};
};

}  // namespace zb::zip::deflate
