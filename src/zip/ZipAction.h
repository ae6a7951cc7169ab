// How the writer treats files that match members of an existing archive. The values
// are the stored numbers of the setting, so their order matters.
#pragma once

namespace zb::zip {

enum TZipAction {
    zaUpdate = 0,   // replace a member only by a newer file; add the others
    zaReplace = 1,  // replace matching members whatever their dates; add the others
    zaFreshen = 2,  // only replace members by newer files; add nothing new
};

}  // namespace zb::zip
