// Questions and messages take the caption given, else the caption of their kind, as
// the standard boxes of the program do.
#include "app/QtUi.h"

#include <QCoreApplication>
#include <QDir>

namespace zb::app {

namespace {
QString q(const std::string& text) { return QString::fromStdString(text); }
QString captionOf(platform::MessageKind kind, const std::string& caption) {
    return caption.empty() ? kindCaption(kind) : q(caption);
}
}  // namespace

QtUi::QtUi(DialogService& dialogs, QWidget* parent, Hooks hooks)
    : dialogs_(dialogs), parent_(parent), hooks_(std::move(hooks)) {}

bool QtUi::confirm(const std::string& text, platform::MessageKind kind, const std::string& caption) {
    return dialogs_.question(parent_, kind, captionOf(kind, caption), q(text));
}

void QtUi::messageBox(platform::MessageKind kind, const std::string& text, const std::string& caption) {
    dialogs_.message(parent_, kind, captionOf(kind, caption), q(text));
}

void QtUi::timedMessage(const std::string& text, platform::MessageKind kind, int seconds) {
    dialogs_.timedMessage(parent_, q(text), kind, seconds);
}

void QtUi::progress(int percent) {
    if (hooks_.progress) hooks_.progress(percent);
}

void QtUi::busy(bool on) {
    if (hooks_.busy) hooks_.busy(on);
}

void QtUi::processEvents() { QCoreApplication::processEvents(); }

std::optional<std::string> QtUi::chooseFile(const std::string& title, const std::string& initialFolder) {
    const QStringList files = dialogs_.chooseFiles(parent_, q(title), q(initialFolder));
    if (files.isEmpty()) return std::nullopt;
    return files.front().toStdString();
}

std::optional<std::string> QtUi::chooseFolder(const std::string& caption) {
    const QString folder = dialogs_.chooseFolder(parent_, q(caption), QDir::homePath());
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString();
}

std::optional<std::string> QtUi::askPassword(const std::string& prompt) {
    const auto text = dialogs_.askPassword(parent_, q(prompt));
    if (!text) return std::nullopt;
    return text->toStdString();
}

}  // namespace zb::app
