// Why the folder walk or the writer left a path out without zipping it, for the
// paths that no other event reports, so a caller can tell the user about every file
// that did not make it into the archive.
#pragma once

namespace zb::zip {

enum TPathSkipReason {
    psFolderUnreadable = 0,  // a folder whose entries could not be listed
    psSpecialFile = 1,       // FIFO, socket, device or a link that leads nowhere: not data
    psFolderLink = 2,        // a link to a folder: not followed, so the walk cannot loop
    psFolderMissing = 3,     // the folder of a pattern entry does not exist
};

}  // namespace zb::zip
