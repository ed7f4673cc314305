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
    std::vector<QString> messages;        // error boxes with a text of their own
    std::vector<std::string> questions;
    std::deque<bool> answers;  // Yes/No answers in order; No once they run out
    std::string folder;        // what the folder picker returns
    int browsed = 0;
    std::deque<std::string> openFiles;  // answers of the open-file dialog in order; cancel once they run out
    std::deque<std::string> saveFiles;  // the same for the save dialog
    std::vector<std::string> proposedNames;  // what each save dialog proposed
    int alerts = 0;

    void ShowError(QWidget*, int number) override { errors.push_back(number); }
    void ShowSaveError(QWidget*, const std::string& path) override { saveErrors.push_back(path); }
    void ShowErrorMessage(QWidget*, const QString& text) override { messages.push_back(text); }
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
    std::string OpenFileName(QWidget*) override { return Next(openFiles); }
    void Alert(QWidget*) override { ++alerts; }
    std::string SaveFileName(QWidget*, const std::string& proposedName) override {
        proposedNames.push_back(proposedName);
        return Next(saveFiles);
    }

private:
    static std::string Next(std::deque<std::string>& answers) {
        if (answers.empty()) return {};
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace velmok::test
