// Text drawn with no real font installed comes out as boxes, and every other test would
// still pass; this one fails instead.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QRawFont>

#include "app/Icons.h"

TEST(Font, ARealFontDrawsTheWindowsLetters) {
    ASSERT_FALSE(QFontDatabase::families().isEmpty());
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const QString text = QStringLiteral("Varnholt ZIP Backup Project: Restore Log 0123456789");
    for (const QChar c : text) EXPECT_TRUE(metrics.inFont(c)) << QString(c).toStdString();
    // Boxes are all alike; real letters are not.
    EXPECT_NE(metrics.horizontalAdvance(QChar('i')), metrics.horizontalAdvance(QChar('W')));
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());
    EXPECT_TRUE(raw.supportsCharacter(QChar('B')));
}

// The pictures are compiled into the program and draw something at the sizes used.
TEST(Icons, EveryIconDraws) {
    for (const QIcon& icon : {zb::app::applicationIcon(), zb::app::trayIcon(), zb::app::scheduleMark()}) {
        ASSERT_FALSE(icon.isNull());
        const QImage image = icon.pixmap(16, 16).toImage();
        ASSERT_FALSE(image.isNull());
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(opaque, 40);
    }
}
