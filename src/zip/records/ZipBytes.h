// Little-endian fields of ZIP records, read from and written to byte arrays and
// appended to byte strings. Every record codec and every caller that looks at raw
// record bytes uses these, so the byte order is written down once.
#pragma once

#include <cstdint>
#include <string>

namespace zb::zip {

inline std::uint16_t getU16(const void* at) {
    auto p = static_cast<const std::uint8_t*>(at);
    return std::uint16_t(p[0] | p[1] << 8);
}
inline std::uint32_t getU32(const void* at) {
    auto p = static_cast<const std::uint8_t*>(at);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline std::uint64_t getU64(const void* at) {
    auto p = static_cast<const std::uint8_t*>(at);
    return std::uint64_t(getU32(p)) | std::uint64_t(getU32(p + 4)) << 32;
}
inline void putU16(void* at, std::uint16_t v) {
    auto p = static_cast<std::uint8_t*>(at);
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void putU32(void* at, std::uint32_t v) {
    auto p = static_cast<std::uint8_t*>(at);
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
inline void putU64(void* at, std::uint64_t v) {
    auto p = static_cast<std::uint8_t*>(at);
    for (int i = 0; i < 8; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

inline void appendU16(std::string& s, std::uint16_t v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char(v >> 8));
}
inline void appendU32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
inline void appendU64(std::string& s, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

}  // namespace zb::zip
