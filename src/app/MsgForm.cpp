// The message window is laid out in dialog units of its font (a quarter of the average
// letter width, an eighth of the letter height), as a platform message box is, so its
// margins grow with the font. The text is measured word-wrapped at half the screen's
// width; the window is sized to it and centred on the screen.
#include "app/MsgForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <memory>

#include "app/DialogService.h"

namespace zb::app {

namespace {

QStyle::StandardPixmap kindIcon(platform::MessageKind kind, bool& hasIcon) {
    hasIcon = true;
    switch (kind) {
        case platform::MessageKind::Warning: return QStyle::SP_MessageBoxWarning;
        case platform::MessageKind::Error: return QStyle::SP_MessageBoxCritical;
        case platform::MessageKind::Information: return QStyle::SP_MessageBoxInformation;
        case platform::MessageKind::Confirmation: return QStyle::SP_MessageBoxQuestion;
        case platform::MessageKind::Custom: break;
    }
    hasIcon = false;
    return QStyle::SP_MessageBoxInformation;
}

constexpr int kIconSize = 32;

}  // namespace

MsgForm::MsgForm(const QString& text, platform::MessageKind kind, int seconds, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("MsgForm"));
    setFont(QApplication::font("QMessageBox"));
    closeTimer_.setInterval(3000);
    closeTimer_.setSingleShot(true);
    connect(&closeTimer_, &QTimer::timeout, this, &QDialog::reject);
    StartCloseTimer(seconds);
    setLayoutDirection(QApplication::layoutDirection());

    const QFontMetrics fm(font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int avgWidth = fm.horizontalAdvance(letters) / 52;
    const int letterHeight = fm.height();
    auto h = [&](int units) { return units * avgWidth / 4; };
    auto v = [&](int units) { return units * letterHeight / 8; };
    const int hMargin = h(8), vMargin = v(8), hSpacing = h(10), vSpacing = v(10);
    const QString okCaption = QStringLiteral("OK");
    const int buttonWidth = std::max(h(50), fm.horizontalAdvance(okCaption) + 8);
    const int buttonHeight = std::max(v(14), fm.height() + 8);

    const QString shown = displayText(text);
    const QRect screen = (parent && parent->screen() ? parent->screen() : QApplication::primaryScreen())
                             ->geometry();
    const QRect textRect = fm.boundingRect(QRect(0, 0, screen.width() / 2, 0),
                                           Qt::TextWordWrap | Qt::TextExpandTabs, shown);
    bool hasIcon = false;
    const QStyle::StandardPixmap pixmap = kindIcon(kind, hasIcon);
    int contentWidth = textRect.width();
    int contentHeight = textRect.height();
    if (hasIcon) {
        contentWidth += kIconSize + hSpacing;
        contentHeight = std::max(contentHeight, kIconSize);
    }
    const int clientWidth = std::max(contentWidth, buttonWidth) + 2 * hMargin;
    const int clientHeight = contentHeight + vSpacing + buttonHeight + 2 * vMargin;
    setFixedSize(clientWidth, clientHeight);
    move(screen.x() + screen.width() / 2 - clientWidth / 2, screen.y() + screen.height() / 2 - clientHeight / 2);

    setWindowTitle(kindCaption(kind));
    int textLeft = hMargin;
    if (hasIcon) {
        image_ = new QLabel(this);
        image_->setObjectName(QStringLiteral("Image"));
        image_->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(kIconSize, kIconSize));
        image_->setGeometry(QStyle::visualRect(layoutDirection(), rect(),
                                               QRect(hMargin, vMargin, kIconSize, kIconSize)));
        textLeft += kIconSize + hSpacing;
    }
    message_ = new QLabel(shown, this);
    message_->setObjectName(QStringLiteral("Message"));
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A pixel of slack keeps rounding in the label from wrapping a line the measure fitted.
    message_->setGeometry(QStyle::visualRect(layoutDirection(), rect(),
                                             QRect(textLeft, vMargin, textRect.width() + 1, textRect.height())));

    ok_ = new QPushButton(okCaption, this);
    ok_->setObjectName(QStringLiteral("OK"));
    ok_->setDefault(true);
    ok_->setAutoDefault(true);
    ok_->setGeometry((clientWidth - buttonWidth) / 2, contentHeight + vMargin + vSpacing, buttonWidth, buttonHeight);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    ok_->setFocus();
}

void MsgForm::StartCloseTimer(int seconds) { startCloseTimerMilliseconds(seconds * 1000); }

void MsgForm::startCloseTimerMilliseconds(int milliseconds) {
    closeTimer_.setInterval(milliseconds);
    closeTimer_.start();
}

void ShowTimedMessage(QWidget* parent, const QString& text, platform::MessageKind kind, int seconds) {
    // Freed when the modal loop ends, also when showing throws.
    auto form = std::make_unique<MsgForm>(text, kind, seconds, parent);
    form->exec();
}

}  // namespace zb::app
