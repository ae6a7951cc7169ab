// The ".zfc" side file of a split archive: a copy of the set's central directory and
// end record, byte for byte as they stand in the parts, so that a set whose last part
// is lost can still be listed. The reader takes its directory from the file's start.
#pragma once

#include <string>

namespace zb::zip {

inline constexpr const char* kZipInfoCreateFailed = "Unable to create Zip Configuration File to disk";
inline constexpr const char* kZipInfoSaveFailed = "Unable to save Zip Configuration File to disk";

enum class ZipInfoFileResult { Saved, CreateFailed, SaveFailed };

// Writes `bytes` as the file `path` (replacing it). A file that could not be written
// whole is removed again, so no half directory is left to mislead a later reading.
ZipInfoFileResult writeZipInfoFile(const std::string& path, const std::string& bytes, bool flush);

}  // namespace zb::zip
