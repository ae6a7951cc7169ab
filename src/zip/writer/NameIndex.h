// The names of the members written so far, as a reader will see them, for the
// writer's duplicate check. A run of a million members keeps a million names, so they
// are kept end to end in large blocks and found through an open-addressed table of
// references: about the name's own bytes and sixteen more per member, where a set of
// strings costs a hundred, and every look-up takes constant time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zb::zip {

class NameIndex {
public:
    bool contains(std::string_view name) const;
    // Adds `name` (once: a second time changes nothing).
    void insert(std::string_view name);
    std::size_t size() const { return count_; }

private:
    static constexpr std::size_t kBlockBytes = 1 << 20;

    std::string_view nameAt(std::uint64_t ref) const;
    std::size_t slotOf(std::string_view name) const;  // its slot, or the empty one it would take
    void grow();

    std::vector<std::string> blocks_;   // names end to end; a long name has a block of its own
    std::vector<std::uint64_t> slots_;  // 0: empty; else block << 44 | offset << 20 | length, plus one
    std::size_t count_ = 0;
};

}  // namespace zb::zip
