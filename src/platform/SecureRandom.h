// Unpredictable bytes from the operating system (for the encryption header).
#pragma once

#include <cstddef>

namespace zb::platform {

void secureRandomBytes(void* buffer, std::size_t size);  // throws std::system_error

}  // namespace zb::platform
