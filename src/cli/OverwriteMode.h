// The overwrite rule a command line names, read in one place for "unzip" and
// "restore": -o (always), -n (never), or --overwrite with prompt, always, never,
// newer or older.
#pragma once

#include <optional>
#include <string>

#include "zip/ZipReaderTypes.h"

namespace zb::cli {

// The rule for the flags and the named mode; nullopt with `error` saying why when -o
// and -n are both given or the name is unknown.
std::optional<zip::TUZOverwriteMode> parseOverwriteMode(bool always, bool never, const std::string& name,
                                                        std::string& error);

}  // namespace zb::cli
