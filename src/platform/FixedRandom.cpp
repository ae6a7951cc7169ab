// A repeatable stand-in for the kernel's generator, compiled only into builds made with
// ZB_FIXED_RANDOM=ON. Every process then draws the same byte sequence, so archives
// written with a password (whose encryption header holds random bytes) come out
// byte-identical from run to run and can be compared by their hashes. Such a build is
// never shipped: the package rules refuse it.
#ifdef ZB_FIXED_RANDOM

#include "platform/SecureRandom.h"

#include <atomic>
#include <cstdint>
#include <cstring>

namespace zb::platform {

namespace {

// SplitMix64 over a shared counter: each draw of eight bytes takes the next counter
// value, so the sequence stays the same in one thread and threads never share a block.
std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::atomic<std::uint64_t> counter{0x5A42u};

}  // namespace

void secureRandomBytes(void* buffer, std::size_t size) {
    auto* p = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const std::uint64_t block = mix(counter.fetch_add(0x9E3779B97F4A7C15ull) + 0x9E3779B97F4A7C15ull);
        const std::size_t n = size < sizeof block ? size : sizeof block;
        std::memcpy(p, &block, n);
        p += n;
        size -= n;
    }
}

}  // namespace zb::platform

#endif  // ZB_FIXED_RANDOM
