// Random bytes from the kernel's generator, which never hands out predictable data
// once the system has started. A build made with ZB_FIXED_RANDOM=ON takes the
// repeatable sequence of FixedRandom.cpp instead.
#ifndef ZB_FIXED_RANDOM

#include "platform/SecureRandom.h"

#include <cerrno>
#include <sys/random.h>
#include <system_error>

namespace zb::platform {

void secureRandomBytes(void* buffer, std::size_t size) {
    auto* p = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        ssize_t n = ::getrandom(p, size, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        p += n;
        size -= std::size_t(n);
    }
}

}  // namespace zb::platform

#endif  // ZB_FIXED_RANDOM
