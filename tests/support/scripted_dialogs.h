#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace calvex::test {

// Dialogs that answer from queues the test fills, and remember every message shown.
class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        std::string text;
        int style;
        std::string details;
        std::string title;
    };
    struct Question {
        std::string text;
        std::string title;
    };
    struct Input {
        std::string prompt;
        std::string title;
        std::string defaultText;
    };

    void message(const std::string& text, int style, const std::string& details,
                 const std::string& title) override {
        messages.push_back({text, style, details, title});
        if (whileShown)
            whileShown();
    }
    // A box that does not wait is remembered with the others; nothing runs "under" it.
    void notify(const std::string& text, int style, const std::string& details) override {
        messages.push_back({text, style, details, {}});
        ++notices;
    }
    bool question(const std::string& text, const std::string& title, bool defaultYes) override {
        questions.push_back({text, title});
        questionDefaults.push_back(defaultYes);
        if (questionAnswers.empty())
            return false;
        const bool yes = questionAnswers.front();
        questionAnswers.pop_front();
        return yes;
    }
    // Answered at once from the queue, or kept open (holdQuestions) until answerHeld().
    void ask(const std::string& text, std::function<void(bool yes)> answered) override {
        if (holdQuestions) {
            questions.push_back({text, {}});
            questionDefaults.push_back(true);
            held.push_back(std::move(answered));
            return;
        }
        answered(question(text, {}, true));
    }
    void answerHeld(bool yes) {
        std::function<void(bool)> answered = std::move(held.front());
        held.pop_front();
        answered(yes);
    }
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        inputs.push_back({prompt, title, defaultText});
        if (whileAsking)
            whileAsking();
        return pop(inputAnswers);
    }
    std::string openFile() override {
        ++openDialogs;
        return pop(openAnswers);
    }
    std::string saveFile() override {
        ++saveDialogs;
        return pop(saveAnswers);
    }
    PictureChoice savePicture() override {
        ++pictureDialogs;
        if (pictureAnswers.empty())
            return {};
        PictureChoice answer = pictureAnswers.front();
        pictureAnswers.pop_front();
        return answer;
    }
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }

    // Runs while a message box is up, as the timers and events under a modal box do.
    std::function<void()> whileShown;
    // Runs while an input box is up.
    std::function<void()> whileAsking;
    std::deque<bool> questionAnswers;  // true is Yes; an empty queue answers No
    bool holdQuestions = false;
    std::deque<std::function<void(bool)>> held;
    std::vector<bool> questionDefaults;    // per question: Yes is the default button
    std::deque<std::string> inputAnswers;  // an empty queue answers "" (cancel)
    std::deque<std::string> openAnswers;
    std::deque<std::string> saveAnswers;
    std::deque<PictureChoice> pictureAnswers;  // an empty queue cancels
    std::vector<Message> messages;
    std::vector<Question> questions;
    std::vector<Input> inputs;
    int openDialogs = 0;
    int saveDialogs = 0;
    int pictureDialogs = 0;
    int busyDepth = 0;
    int notices = 0;  // messages shown without waiting

private:
    static std::string pop(std::deque<std::string>& queue) {
        if (queue.empty())
            return {};
        std::string answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

}  // namespace calvex::test
