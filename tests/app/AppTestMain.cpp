// The window's tests run on the offscreen platform with a fixed locale and a runtime
// folder of their own, so no test talks to a desktop or to a running program.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/FixedFormats.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LANG", "C.UTF-8", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Varnholt ZIP Backup"));
    zb::test::useFixedDateFormats();
    return RUN_ALL_TESTS();
}
