// Linear probing over a power-of-two table kept at most half full.
#include "zip/writer/NameIndex.h"

#include <algorithm>
#include <functional>

namespace zb::zip {

namespace {

constexpr std::uint64_t kOffsetBits = 24;  // within a block (long names start at 0)
constexpr std::uint64_t kLengthBits = 20;  // names are far shorter than a MiB

}  // namespace

std::string_view NameIndex::nameAt(std::uint64_t ref) const {
    const std::uint64_t r = ref - 1;
    const std::size_t length = std::size_t(r & ((1u << kLengthBits) - 1));
    const std::size_t offset = std::size_t((r >> kLengthBits) & ((1u << kOffsetBits) - 1));
    const std::size_t block = std::size_t(r >> (kLengthBits + kOffsetBits));
    return std::string_view(blocks_[block]).substr(offset, length);
}

std::size_t NameIndex::slotOf(std::string_view name) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = std::hash<std::string_view>()(name) & mask;
    while (slots_[i] != 0 && nameAt(slots_[i]) != name) i = (i + 1) & mask;
    return i;
}

bool NameIndex::contains(std::string_view name) const { return !slots_.empty() && slots_[slotOf(name)] != 0; }

void NameIndex::grow() {
    std::vector<std::uint64_t> old(slots_.empty() ? 1024 : slots_.size() * 2, 0);
    old.swap(slots_);
    for (std::uint64_t ref : old)
        if (ref != 0) slots_[slotOf(nameAt(ref))] = ref;
}

void NameIndex::insert(std::string_view name) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    const std::size_t slot = slotOf(name);
    if (slots_[slot] != 0) return;  // an old archive may hold a name twice
    const std::size_t length = std::min<std::size_t>(name.size(), (1u << kLengthBits) - 1);
    if (blocks_.empty() || blocks_.back().size() + length > kBlockBytes) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockBytes, length));
    }
    std::string& block = blocks_.back();
    const std::uint64_t ref = ((std::uint64_t(blocks_.size() - 1) << (kLengthBits + kOffsetBits)) |
                               (std::uint64_t(block.size()) << kLengthBits) | length) +
                              1;
    block.append(name.substr(0, length));
    slots_[slot] = ref;
    ++count_;
}

}  // namespace zb::zip
