// Whether a link that a member asks for stays inside the destination. The link's text
// is resolved from the link's own folder: ".." may only lead the text (a ".." after a
// name would climb out of whatever that name later turns out to be), an absolute text
// is refused, and a link already in the destination that the path passes through is
// resolved in turn, by the same rules. What does not exist yet counts as a folder;
// every link that later takes its place is checked the same way when it is made.
#pragma once

#include <string>
#include <vector>

#include "platform/DirHandle.h"

namespace zb::zip {

// `dest` is the destination folder, `linkFolder` the folders from it to the link.
bool linkStaysInside(const platform::DirHandle& dest, const std::vector<std::string>& linkFolder,
                     const std::string& text);

}  // namespace zb::zip
