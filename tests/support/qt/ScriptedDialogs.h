#pragma once
// Message boxes and the folder picker answered from a script: records every
// box instead of showing it, so no test ever waits for a user.
#include <deque>
#include <string>
#include <vector>

#include "platform/QtDialogs.h"

namespace velmok::test {

class ScriptedDialogs : public platform::Dialogs {
public:
    std::vector<int> errors;
    std::vector<std::string> saveErrors;  // paths of the failed saves reported
    std::vector<std::string> questions;
    std::deque<bool> answers;  // Yes/No answers in order; No once they run out
    std::string folder;        // what the folder picker returns
    int browsed = 0;

    void ShowError(QWidget*, int number) override { errors.push_back(number); }
    void ShowSaveError(QWidget*, const std::string& path) override { saveErrors.push_back(path); }
    bool AskYesNo(QWidget*, const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::string BrowseForFolder(QWidget*) override {
        ++browsed;
        return folder;
    }
};

}  // namespace velmok::test
