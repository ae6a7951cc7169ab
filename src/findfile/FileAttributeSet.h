// The finder's attribute filter: the set of attributes a caller asks for, the mapping of
// an entry's attribute bits onto that set, and the test that compares the two (an exact
// match, or at least one shared member, where an entry without any mapped attribute
// always passes the shared test).
#pragma once

#include <cstdint>
#include <initializer_list>

namespace zb::findfile {

enum TFileAttribute { ffArchive, ffReadonly, ffHidden, ffSystem, ffDirectory };

class TFileAttributes {
public:
    constexpr TFileAttributes() = default;
    constexpr TFileAttributes(std::initializer_list<TFileAttribute> members) {
        for (auto m : members) include(m);
    }

    constexpr bool contains(TFileAttribute a) const { return (bits_ & bit(a)) != 0; }
    constexpr void include(TFileAttribute a) { bits_ |= bit(a); }
    constexpr void exclude(TFileAttribute a) { bits_ &= ~bit(a); }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool sharesAnyWith(TFileAttributes other) const { return (bits_ & other.bits_) != 0; }
    constexpr bool operator==(const TFileAttributes&) const = default;

private:
    static constexpr std::uint8_t bit(TFileAttribute a) { return std::uint8_t(1u << unsigned(a)); }
    std::uint8_t bits_ = 0;
};

// The set an entry's attribute bits (platform FileAttribute values) stand for; bits with
// no member of their own, such as the volume label, are left out.
TFileAttributes attributesOfEntry(std::uint32_t attributeBits);

// The attribute test of the filter.
bool passesAttributeFilter(TFileAttributes entry, TFileAttributes wanted, bool exact);

}  // namespace zb::findfile
