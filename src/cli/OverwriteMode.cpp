// The overwrite rule of the command line. See OverwriteMode.h.
#include "cli/OverwriteMode.h"

namespace zb::cli {

std::optional<zip::TUZOverwriteMode> parseOverwriteMode(bool always, bool never, const std::string& name,
                                                        std::string& error) {
    if (always && never) {
        error = "-o and -n exclude each other";
        return std::nullopt;
    }
    if (always) return zip::Always;
    if (never) return zip::Never;
    if (name == "prompt") return zip::Prompt;
    if (name == "always") return zip::Always;
    if (name == "never") return zip::Never;
    if (name == "newer") return zip::ifNewer;
    if (name == "older") return zip::ifOlder;
    error = "unknown overwrite mode \"" + name + "\" (prompt, always, never, newer or older)";
    return std::nullopt;
}

}  // namespace zb::cli
