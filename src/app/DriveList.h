// What "Drives:" offers on this system: the mounted file systems a user would pick a
// folder from (the root, the home folder, removable and network mounts), without the
// kernel's pseudo file systems and the system's private mounts.
#pragma once

#include <QString>
#include <QStringList>

namespace zb::app {

// True for a mount a user would browse: not a pseudo file system (proc, sysfs, cgroup,
// tmpfs under /run and the like) and not below /proc, /sys, /dev or /run (but removable
// media under /run/media are kept).
bool isUserMount(const QString& rootPath, const QString& fileSystemType);

// The root, the home folder and every user mount, sorted, each once.
QStringList userDrives();

// The drive of `folder`: the longest entry of `drives` that contains it, else "/".
QString driveOf(const QString& folder, const QStringList& drives);

}  // namespace zb::app
