// Signatures, sizes and flag bits of the ZIP records the engine reads and writes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zb::zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;     // "PK" 03 04
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;   // "PK" 01 02
inline constexpr std::uint32_t kEndCentralSignature = 0x06054B50;      // "PK" 05 06
inline constexpr std::uint32_t kDataDescriptorSignature = 0x08074B50;  // "PK" 07 08
inline constexpr std::uint32_t kZip64EndSignature = 0x06064B50;        // "PK" 06 06
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;    // "PK" 06 07

inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndCentralSize = 22;
inline constexpr std::size_t kZip64EndSize = 56;
inline constexpr std::size_t kZip64LocatorSize = 20;
// The longest archive comment plus the end record: how far from the end the end
// record can stand.
inline constexpr std::size_t kEndCentralSearchSize = 65535 + kEndCentralSize;

// The format version a record needs once it uses ZIP64 fields.
inline constexpr std::uint16_t kZip64Version = 45;

// General-purpose flag bits.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagStrongEncryption = 0x0040;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;

// Extra field ids the reader understands.
inline constexpr std::uint16_t kExtraZip64 = 0x0001;
inline constexpr std::uint16_t kExtraUnicodePath = 0x7075;
inline constexpr std::uint16_t kExtraAes = 0x9901;

// Compression methods.
inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodShrunk = 1;
inline constexpr std::uint16_t kMethodReduced1 = 2;
inline constexpr std::uint16_t kMethodReduced4 = 5;
inline constexpr std::uint16_t kMethodImploded = 6;
inline constexpr std::uint16_t kMethodDeflated = 8;
inline constexpr std::uint16_t kMethodAes = 99;

// Values that say "the real one is in the ZIP64 extra field / end record".
inline constexpr std::uint32_t kZip64Marker32 = 0xFFFFFFFFu;
inline constexpr std::uint16_t kZip64Marker16 = 0xFFFFu;

// Host bytes (high byte of version made by): MS-DOS and the FAT family, Windows NTFS
// and VFAT, whose names may use "\" as their separator, and Unix.
inline constexpr std::uint8_t kHostMsDos = 0;
inline constexpr std::uint8_t kHostUnix = 3;
inline constexpr std::uint8_t kHostNtfs = 11;
inline constexpr std::uint8_t kHostVfat = 14;

// Extended timestamp extra field: a flag byte, then the modification time in UTC
// seconds (signed 32 bits) when flag bit 0 is set.
inline constexpr std::uint16_t kExtraTimestamp = 0x5455;

}  // namespace zb::zip
