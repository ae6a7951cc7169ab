// The size of a file in whole kilobytes. See FileSizeKb.h.
#include "backup/FileSizeKb.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace zb::backup {

std::uint64_t FileSizeKb(const std::string& path) {
    namespace fs = std::filesystem;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw fs::filesystem_error("Cannot open file", path,
                                   std::make_error_code(std::errc::no_such_file_or_directory));
    }
    return static_cast<std::uint64_t>(fs::file_size(path)) / 1024;
}

}  // namespace zb::backup
