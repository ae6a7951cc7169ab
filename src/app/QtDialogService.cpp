// Qt's standard boxes with the program's captions and icons. Texts arrive with the
// carriage returns the program's messages use as line breaks; they are turned into
// line feeds, which is what Qt breaks lines at.
#include "app/QtDialogService.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "app/MsgForm.h"

namespace zb::app {

QString kindCaption(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning: return QStringLiteral("Warning");
        case MessageKind::Error: return QStringLiteral("Error");
        case MessageKind::Information: return QStringLiteral("Information");
        case MessageKind::Confirmation: return QStringLiteral("Confirm");
        case MessageKind::Custom: break;
    }
    return QApplication::applicationDisplayName();
}

QString displayText(const QString& text) {
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QChar('\r'), QChar('\n'));
    return out;
}

namespace {

QMessageBox::Icon boxIcon(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning: return QMessageBox::Warning;
        case MessageKind::Error: return QMessageBox::Critical;
        case MessageKind::Information: return QMessageBox::Information;
        case MessageKind::Confirmation: return QMessageBox::Question;
        case MessageKind::Custom: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtDialogService::message(QWidget* parent, MessageKind kind, const QString& caption, const QString& text) {
    QMessageBox box(boxIcon(kind), caption, displayText(text), QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogService::question(QWidget* parent, MessageKind kind, const QString& caption, const QString& text) {
    QMessageBox box(boxIcon(kind), caption, displayText(text), QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogService::timedMessage(QWidget* parent, const QString& text, MessageKind kind, int seconds) {
    ShowTimedMessage(parent, text, kind, seconds);
}

QString QtDialogService::chooseFolder(QWidget* parent, const QString& caption, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, caption, startFolder);
}

QStringList QtDialogService::chooseFiles(QWidget* parent, const QString& caption, const QString& startFolder) {
    // Qt's chooser already insists on existing files and shows no read-only option.
    return QFileDialog::getOpenFileNames(parent, caption, startFolder);
}

std::optional<QString> QtDialogService::askPassword(QWidget* parent, const QString& prompt) {
    bool ok = false;
    QString text = QInputDialog::getText(parent, QApplication::applicationDisplayName(), prompt,
                                         QLineEdit::Password, QString(), &ok);
    if (!ok) return std::nullopt;
    return text;
}

int QtDialogService::exec(QDialog& dialog) { return dialog.exec(); }

}  // namespace zb::app
