// The header flag bits that record how hard a member was compressed.
#include "zip/codec/deflate/Deflate.h"

namespace zb::zip {

std::uint16_t deflateFlagBits(int level) {
    if (level == 1 || level == 2) {
        return 4;  // fastest
    }
    if (level == 8 || level == 9) {
        return 2;  // maximum
    }
    return 0;
}

}  // namespace zb::zip
