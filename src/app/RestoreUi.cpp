// The restore's questions with their captions. See RestoreUi.h.
#include "app/RestoreUi.h"

namespace zb::app {

RestoreUi::RestoreUi(platform::Ui& window, DialogService& dialogs, QWidget* parent)
    : window_(window), dialogs_(dialogs), parent_(parent) {}

bool RestoreUi::confirm(const std::string& text, platform::MessageKind kind, const std::string& caption) {
    if (kind != platform::MessageKind::Confirmation || !caption.empty()) return window_.confirm(text, kind, caption);
    return dialogs_.question(parent_, kind, QStringLiteral("File Exists Alert"), QString::fromStdString(text));
}

void RestoreUi::messageBox(platform::MessageKind kind, const std::string& text, const std::string& caption) {
    window_.messageBox(kind, text, caption);
}

void RestoreUi::timedMessage(const std::string& text, platform::MessageKind kind, int seconds) {
    window_.timedMessage(text, kind, seconds);
}

void RestoreUi::progress(int percent) { window_.progress(percent); }
void RestoreUi::busy(bool on) { window_.busy(on); }
void RestoreUi::processEvents() { window_.processEvents(); }

std::optional<std::string> RestoreUi::chooseFile(const std::string& title, const std::string& initialFolder) {
    return window_.chooseFile(title, initialFolder);
}

std::optional<std::string> RestoreUi::chooseFolder(const std::string& caption) {
    return window_.chooseFolder(caption);
}

std::optional<std::string> RestoreUi::askPassword(const std::string& prompt) { return window_.askPassword(prompt); }

}  // namespace zb::app
