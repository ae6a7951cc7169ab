// The message window as its user meets it: the caption and icon of each kind, the ways
// it closes, and how its text is broken into lines.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "app/MsgForm.h"

using zb::app::MsgForm;
using zb::platform::MessageKind;

TEST(MsgForm, CaptionAndIconFollowTheKind) {
    struct Case {
        MessageKind kind;
        const char* caption;
        bool icon;
    };
    const Case cases[] = {{MessageKind::Warning, "Warning", true},
                          {MessageKind::Error, "Error", true},
                          {MessageKind::Information, "Information", true},
                          {MessageKind::Confirmation, "Confirm", true},
                          {MessageKind::Custom, "Varnholt ZIP Backup", false}};
    for (const Case& c : cases) {
        MsgForm form(QStringLiteral("text"), c.kind, 4);
        EXPECT_EQ(form.windowTitle(), QString::fromLatin1(c.caption));
        EXPECT_EQ(form.imageLabel() != nullptr, c.icon) << c.caption;
        EXPECT_EQ(form.okButton()->text(), QStringLiteral("OK"));
        EXPECT_TRUE(form.okButton()->isDefault());
        EXPECT_EQ(form.closeTimer().interval(), 4000);
        EXPECT_TRUE(form.closeTimer().isActive());
    }
}

TEST(MsgForm, ClosesByTimerEscapeAndOk) {
    enum class How { Timer, Escape, Enter, Ok };
    struct Case {
        How how;
        int result;
    };
    const Case cases[] = {{How::Timer, QDialog::Rejected},
                          {How::Escape, QDialog::Rejected},
                          {How::Enter, QDialog::Accepted},
                          {How::Ok, QDialog::Accepted}};
    for (const Case& c : cases) {
        MsgForm form(QStringLiteral("Backup Files Succeeds!"), MessageKind::Information, 60);
        QSignalSpy finished(&form, &QDialog::finished);
        form.open();
        switch (c.how) {
            case How::Timer: form.startCloseTimerMilliseconds(20); break;
            case How::Escape: QTest::keyClick(&form, Qt::Key_Escape); break;
            case How::Enter: QTest::keyClick(form.okButton(), Qt::Key_Return); break;
            case How::Ok: QTest::mouseClick(form.okButton(), Qt::LeftButton); break;
        }
        ASSERT_TRUE(finished.count() == 1 || finished.wait(5000)) << static_cast<int>(c.how);
        EXPECT_EQ(finished.first().first().toInt(), c.result);
        EXPECT_FALSE(form.isVisible());
    }
}

TEST(MsgForm, LongTextWrapsAtHalfTheScreenAndCarriageReturnsBreakLines) {
    const int halfScreen = QApplication::primaryScreen()->geometry().width() / 2;
    const QString longText = QString(QStringLiteral("word ")).repeated(400);
    MsgForm wide(longText, MessageKind::Information, 4);
    const QFontMetrics fm(wide.messageLabel()->font());
    EXPECT_LE(wide.messageLabel()->width(), halfScreen + 1);
    EXPECT_GT(wide.messageLabel()->height(), 5 * fm.height());
    EXPECT_LE(wide.width(), halfScreen + 200);

    MsgForm lines(QStringLiteral("Backup Files Succeeds!\rProject Name: 'Docs'\rFile Size:    '3Kb'"),
                  MessageKind::Information, 4);
    EXPECT_EQ(lines.messageLabel()->text().split(QChar('\n')).size(), 3);
    EXPECT_GE(lines.messageLabel()->height(), 3 * fm.height());
    EXPECT_FALSE(lines.messageLabel()->text().contains(QChar('\r')));
}
