// A dialog service for the window's tests: records every message, answers questions
// from a script, and runs the program's dialogs through a function the test supplies
// instead of a modal loop.
#pragma once

#include <QDialog>
#include <deque>
#include <functional>
#include <vector>

#include "app/DialogService.h"

namespace zb::test {

struct ShownMessage {
    platform::MessageKind kind;
    QString caption;
    QString text;
    bool timed = false;
};

class ScriptedDialogs : public app::DialogService {
public:
    std::vector<ShownMessage> messages;
    std::vector<QString> questions;
    std::deque<bool> answers;          // answers to questions, in order; Yes when empty
    QStringList files;                 // what the file chooser returns
    QString folder;                    // what the folder chooser returns
    std::function<int(QDialog&)> onExec = [](QDialog&) { return int(QDialog::Rejected); };

    void message(QWidget*, platform::MessageKind kind, const QString& caption, const QString& text) override {
        messages.push_back({kind, caption, text, false});
    }
    bool question(QWidget*, platform::MessageKind, const QString&, const QString& text) override {
        questions.push_back(text);
        if (answers.empty()) return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void timedMessage(QWidget*, const QString& text, platform::MessageKind kind, int) override {
        messages.push_back({kind, app::kindCaption(kind), text, true});
    }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return folder; }
    QStringList chooseFiles(QWidget*, const QString&, const QString&) override { return files; }
    std::optional<QString> askPassword(QWidget*, const QString&) override { return std::nullopt; }
    int exec(QDialog& dialog) override { return onExec(dialog); }
};

}  // namespace zb::test
