// The size of a file in whole kilobytes, as the outcome messages and log entries show
// an archive's size.
#pragma once

#include <cstdint>
#include <string>

namespace zb::backup {

// Bytes divided by 1024, the fraction dropped. The file is opened for reading; one
// that cannot be opened throws std::filesystem::filesystem_error.
std::uint64_t FileSizeKb(const std::string& path);

}  // namespace zb::backup
