// Huffman code construction for the compressor's blocks (see DeflateHuffman.h).
#include "zip/codec/deflate/DeflateHuffman.h"

#include "zip/codec/BitReversal.h"
#include "zip/codec/deflate/DeflateConstants.h"

#include <algorithm>
#include <array>

namespace zb::zip::deflate {
namespace {

constexpr unsigned kMaxNodes = 2 * kMaxSymbols;

// A binary min-heap of nodes ordered by (frequency, depth): equal weights go to the
// flatter subtree first, which keeps codes short. Each item carries its key beside the
// node index (weight << 8 | depth, above 16 bits of index), so that a comparison needs
// no lookup; the comparison and the order of the moves are those of a heap of indices
// compared through their weights and depths, so the tree comes out the same.
struct NodeHeap {
    std::array<std::uint64_t, kMaxNodes> items;
    unsigned size = 0;

    static std::uint64_t item(std::uint64_t weight, unsigned depth, unsigned node) {
        return (((weight << 8) | depth) << 16) | node;
    }
    // "a goes above b": a lighter, or as heavy and no deeper.
    static bool less(std::uint64_t a, std::uint64_t b) { return (a >> 16) <= (b >> 16); }

    void siftDown(unsigned at) {
        const std::uint64_t node = items[at];
        for (;;) {
            unsigned child = 2 * at + 1;
            if (child >= size) {
                break;
            }
            // Branch-free: which child is taken is close to a coin toss.
            child += static_cast<unsigned>(child + 1 < size && less(items[child + 1], items[child]));
            if (less(node, items[child])) {
                break;
            }
            items[at] = items[child];
            at = child;
        }
        items[at] = node;
    }
    std::uint64_t pop() {
        const std::uint64_t top = items[0];
        items[0] = items[--size];
        siftDown(0);
        return top;
    }
    void push(std::uint64_t node) {
        unsigned at = size++;
        while (at > 0) {
            const unsigned parent = (at - 1) / 2;
            if (less(items[parent], node)) {
                break;
            }
            items[at] = items[parent];
            at = parent;
        }
        items[at] = node;
    }
};

}  // namespace

int buildCodeLengths(const std::uint32_t* freq, unsigned count, unsigned maxBits, std::uint8_t* lengths) {
    if (count == 0) {
        return -1;
    }
    std::array<std::uint32_t, kMaxNodes> weight;
    std::array<std::uint16_t, kMaxNodes> parent;
    std::fill(lengths, lengths + count, std::uint8_t{0});

    int maxCode = -1;
    unsigned used = 0;
    for (unsigned n = 0; n < count; ++n) {
        weight[n] = freq[n];
        if (freq[n] != 0) {
            maxCode = static_cast<int>(n);
            ++used;
        }
    }
    // A code needs two symbols: borrow unused ones with a token weight.
    std::array<bool, kMaxSymbols> inTree{};
    for (unsigned n = 0; n < count; ++n) {
        inTree[n] = freq[n] != 0;
    }
    while (used < 2 && used < count) {
        const unsigned extra = maxCode < 2 ? static_cast<unsigned>(++maxCode) : 0u;
        if (!inTree[extra]) {
            inTree[extra] = true;
            weight[extra] = 1;
            ++used;
        }
    }
    if (used == 1) {  // a one-symbol alphabet: one bit is the least a code can take
        lengths[maxCode] = 1;
        return maxCode;
    }

    NodeHeap heap;
    for (unsigned n = 0; n < count; ++n) {
        if (inTree[n]) {
            heap.items[heap.size++] = NodeHeap::item(weight[n], 0, n);
        }
    }
    for (int i = static_cast<int>(heap.size / 2) - 1; i >= 0; --i) {
        heap.siftDown(static_cast<unsigned>(i));
    }
    unsigned next = count;  // internal nodes follow the leaves
    while (heap.size > 1) {
        const std::uint64_t a = heap.pop();
        const std::uint64_t b = heap.pop();
        const std::uint64_t sum = (a >> 24) + (b >> 24);
        const unsigned depth = std::max((a >> 16) & 0xFFu, (b >> 16) & 0xFFu) + 1;
        weight[next] = static_cast<std::uint32_t>(sum);
        parent[a & 0xFFFFu] = parent[b & 0xFFFFu] = static_cast<std::uint16_t>(next);
        heap.push(NodeHeap::item(sum, depth, next));
        ++next;
    }
    const unsigned root = next - 1;

    // Depth of every node, walking from the root down (parents were made after their
    // children, so a reverse sweep sees each parent first).
    std::array<std::uint16_t, kMaxNodes> bits;
    bits[root] = 0;
    for (unsigned node = root; node-- > count;) {
        bits[node] = static_cast<std::uint16_t>(bits[parent[node]] + 1);
    }
    bool overflow = false;
    std::array<std::uint16_t, kMaxSymbols> leaves;
    unsigned leafCount = 0;
    for (unsigned n = 0; n < count; ++n) {
        if (inTree[n]) {
            bits[n] = static_cast<std::uint16_t>(bits[parent[n]] + 1);
            overflow |= bits[n] > maxBits;
            leaves[leafCount++] = static_cast<std::uint16_t>(n);
        }
    }
    if (!overflow) {
        for (unsigned i = 0; i < leafCount; ++i) {
            lengths[leaves[i]] = static_cast<std::uint8_t>(bits[leaves[i]]);
        }
        return maxCode;
    }

    // Too deep: cap the lengths and then restore a complete code by moving leaves up
    // from the deepest level, each move taking one unit of excess away. The lengths
    // are then handed out again, shortest to the most frequent leaves.
    std::array<unsigned, 32> perLength{};
    for (unsigned i = 0; i < leafCount; ++i) {
        ++perLength[std::min<unsigned>(bits[leaves[i]], maxBits)];
    }
    std::uint64_t kraft = 0;
    for (unsigned len = 1; len <= maxBits; ++len) {
        kraft += static_cast<std::uint64_t>(perLength[len]) << (maxBits - len);
    }
    while (kraft > (std::uint64_t{1} << maxBits)) {
        unsigned len = maxBits - 1;
        while (perLength[len] == 0) {
            --len;
        }
        --perLength[len];
        perLength[len + 1] += 2;
        --perLength[maxBits];
        --kraft;
    }
    std::stable_sort(leaves.begin(), leaves.begin() + leafCount, [&](unsigned a, unsigned b) {
        return bits[a] < bits[b] || (bits[a] == bits[b] && weight[a] > weight[b]);
    });
    unsigned at = 0;
    for (unsigned len = 1; len <= maxBits; ++len) {
        for (unsigned k = 0; k < perLength[len]; ++k) {
            lengths[leaves[at++]] = static_cast<std::uint8_t>(len);
        }
    }
    return maxCode;
}

void makeCodes(const std::uint8_t* lengths, unsigned count, std::uint16_t* codes) {
    std::array<unsigned, kMaxBits + 2> perLength{};
    for (unsigned n = 0; n < count; ++n) {
        ++perLength[lengths[n]];
    }
    perLength[0] = 0;
    std::array<unsigned, kMaxBits + 2> nextCode{};
    unsigned code = 0;
    for (unsigned len = 1; len <= kMaxBits; ++len) {
        code = (code + perLength[len - 1]) << 1;
        nextCode[len] = code;
    }
    for (unsigned n = 0; n < count; ++n) {
        const unsigned len = lengths[n];
        if (len == 0) {
            codes[n] = 0;
            continue;
        }
        codes[n] = static_cast<std::uint16_t>(reverseBits(nextCode[len]++, len));
    }
}

}  // namespace zb::zip::deflate
