// Unpredictable bytes from the operating system (for the encryption header and
// temporary names). A build configured with ZB_FIXED_RANDOM=ON draws a fixed sequence
// instead, the same in every process, so encrypted archives can be compared byte for
// byte; such a build is for tests and benchmarks only.
#pragma once

#include <cstddef>

namespace zb::platform {

void secureRandomBytes(void* buffer, std::size_t size);  // throws std::system_error

}  // namespace zb::platform
