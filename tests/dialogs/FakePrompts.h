#pragma once

#include <deque>
#include <string>
#include <vector>

#include "polling/UserPrompts.h"

namespace perivant {

// Answers a dialog's messages and questions without a modal loop and keeps what was asked.
class FakePrompts : public UserPrompts {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) {
            return false;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void OpenWebAddress(const std::string& url) override { opened.push_back(url); }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::vector<std::string> opened;
};

}  // namespace perivant
