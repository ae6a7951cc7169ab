// The icons are SVGs compiled into the program, so a moved or copied executable still
// has them; the packaging installs the same files for the desktop's menus.
#include "app/Icons.h"

// The resources live in a static library, whose registration the linker would drop
// unless something refers to it.
static void registerIcons() {
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)done;
}

namespace zb::app {

namespace {
QIcon load(const char* path) {
    registerIcons();
    return QIcon(QString::fromLatin1(path));
}
}  // namespace

QIcon applicationIcon() { return load(":/icons/zipbackup.svg"); }
QIcon trayIcon() { return load(":/icons/tray.svg"); }
QIcon scheduleMark() { return load(":/icons/schedule-mark.svg"); }

}  // namespace zb::app
