// The carry-less-multiply CRC-32 paths (x86: PCLMULQDQ on 128 bits, VPCLMULQDQ on 256
// and 512 bits), those this processor can run, slowest first. Empty elsewhere.
#pragma once

#include <vector>

#include "zip/checksum/Crc32.h"

namespace zb::zip {

std::vector<Crc32Path> crc32ClmulPaths();

}  // namespace zb::zip
