// A scripted stand-in for the user: it answers questions from a queue the test fills,
// and records everything the program showed, in order, so a test can check which
// messages appeared, with which kind and text, and how the busy state and the progress
// bar moved.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Ui.h"

namespace zb::test {

class FakeUi : public platform::Ui {
public:
    enum class Call { Confirm, MessageBox, TimedMessage, ChooseFile, ChooseFolder, AskPassword };
    struct Shown {
        Call call;
        platform::MessageKind kind;
        std::string text;
        int seconds = 0;
        std::string caption;  // the box's title; empty for the kind's own
    };

    // Answers, used in order. An unscripted question is a test error, unless a default
    // answer was set.
    std::deque<bool> confirmAnswers;
    std::optional<bool> defaultConfirm;
    std::deque<std::optional<std::string>> passwordAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<std::optional<std::string>> folderAnswers;

    // Called after each message has been recorded, e.g. to look at the disk at that moment.
    std::function<void(const Shown&)> onShown;
    // Called whenever the program lets pending events run (during long loops); a test
    // may change the disk here, or throw to stop the work as a cancel does.
    std::function<void()> onProcessEvents;

    std::vector<Shown> shown;
    std::vector<int> progressValues;
    std::vector<bool> busyChanges;
    int eventsProcessed = 0;
    bool isBusy = false;

    bool confirm(const std::string& text, platform::MessageKind kind = platform::MessageKind::Confirmation,
                 const std::string& caption = {}) override {
        record({Call::Confirm, kind, text, 0, caption});
        if (!confirmAnswers.empty()) {
            bool answer = confirmAnswers.front();
            confirmAnswers.pop_front();
            return answer;
        }
        if (defaultConfirm) return *defaultConfirm;
        throw std::logic_error("unscripted question: " + text);
    }
    void messageBox(platform::MessageKind kind, const std::string& text, const std::string& caption = {}) override {
        record({Call::MessageBox, kind, text, 0, caption});
    }
    void timedMessage(const std::string& text, platform::MessageKind kind, int seconds) override {
        record({Call::TimedMessage, kind, text, seconds, ""});
    }
    void progress(int percent) override { progressValues.push_back(percent); }
    void busy(bool on) override {
        busyChanges.push_back(on);
        isBusy = on;
    }
    void processEvents() override {
        ++eventsProcessed;
        if (onProcessEvents) onProcessEvents();
    }
    std::optional<std::string> chooseFile(const std::string& title, const std::string&) override {
        record({Call::ChooseFile, platform::MessageKind::Custom, title, 0, ""});
        return next(fileAnswers);
    }
    std::optional<std::string> chooseFolder(const std::string& caption) override {
        record({Call::ChooseFolder, platform::MessageKind::Custom, caption, 0, ""});
        return next(folderAnswers);
    }
    std::optional<std::string> askPassword(const std::string& prompt) override {
        record({Call::AskPassword, platform::MessageKind::Custom, prompt, 0, ""});
        return next(passwordAnswers);
    }

    // The messages of one kind of call, in order.
    std::vector<Shown> calls(Call call) const {
        std::vector<Shown> out;
        for (const auto& s : shown)
            if (s.call == call) out.push_back(s);
        return out;
    }
    std::vector<Shown> timedMessages() const { return calls(Call::TimedMessage); }
    std::vector<Shown> messageBoxes() const { return calls(Call::MessageBox); }
    std::vector<Shown> questions() const { return calls(Call::Confirm); }

private:
    void record(Shown s) {
        shown.push_back(s);
        if (onShown) onShown(shown.back());
    }
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& queue) {
        if (queue.empty()) return std::nullopt;
        auto answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

}  // namespace zb::test
