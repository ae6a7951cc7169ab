// Linux has no drive letters; the mounts take their place in the folder picker. The
// home folder is listed too, as it is where nearly every user's files are.
#include "app/DriveList.h"

#include <QDir>
#include <QStorageInfo>

namespace zb::app {

namespace {

bool within(const QString& path, const QString& folder) {
    if (folder == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

}  // namespace

bool isUserMount(const QString& rootPath, const QString& fileSystemType) {
    static const QStringList pseudo = {
        QStringLiteral("proc"),      QStringLiteral("sysfs"),      QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"),    QStringLiteral("cgroup"),     QStringLiteral("cgroup2"),
        QStringLiteral("securityfs"), QStringLiteral("debugfs"),   QStringLiteral("tracefs"),
        QStringLiteral("configfs"),  QStringLiteral("fusectl"),    QStringLiteral("mqueue"),
        QStringLiteral("hugetlbfs"), QStringLiteral("pstore"),     QStringLiteral("bpf"),
        QStringLiteral("binfmt_misc"), QStringLiteral("autofs"),   QStringLiteral("rpc_pipefs"),
        QStringLiteral("nsfs"),      QStringLiteral("efivarfs"),   QStringLiteral("squashfs"),
        QStringLiteral("overlay")};
    if (rootPath == QLatin1String("/")) return true;
    if (pseudo.contains(fileSystemType, Qt::CaseInsensitive)) return false;
    if (within(rootPath, QStringLiteral("/run/media"))) return true;
    for (const char* system : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot"}) {
        if (within(rootPath, QString::fromLatin1(system))) return false;
    }
    return !fileSystemType.startsWith(QLatin1String("fuse.portal"));
}

QStringList userDrives() {
    QStringList drives = {QStringLiteral("/"), QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid()) continue;
        if (isUserMount(volume.rootPath(), QString::fromLatin1(volume.fileSystemType())))
            drives << volume.rootPath();
    }
    drives.removeDuplicates();
    drives.sort();
    return drives;
}

QString driveOf(const QString& folder, const QStringList& drives) {
    QString best = QStringLiteral("/");
    for (const QString& drive : drives) {
        if (within(folder, drive) && drive.size() > best.size()) best = drive;
    }
    return best;
}

}  // namespace zb::app
