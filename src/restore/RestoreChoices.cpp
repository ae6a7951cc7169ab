// The captions of the overwrite choices. See RestoreChoices.h.
#include "restore/RestoreChoices.h"

namespace zb::restore {

const char* OverwriteModeCaption(zip::TUZOverwriteMode mode) {
    switch (mode) {
        case zip::Always: return "Always";
        case zip::Prompt: return "Prompt Before  Overwrite";
        case zip::Never: return "Never";
        case zip::ifNewer: return "If Newer";
        case zip::ifOlder: return "If Older";
    }
    return "";
}

}  // namespace zb::restore
