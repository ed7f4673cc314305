#pragma once
#include <functional>
#include <string>
#include <vector>

#include "ui/StartRequests.h"

namespace velmok::ui {

class TSDIAppForm;

// Carries out what the command line or a later start of the program asks of
// the running window: --connect numbers and irc:// links. The decisions are in
// StartRequests; this puts their outcome in front of the user.
class QtStartRequests {
public:
    explicit QtStartRequests(TSDIAppForm& form);

    // Connects each profile number; says on the report why one was not.
    void ConnectNumbers(const std::vector<int>& numbers);
    // Opens a connection for an irc:// link; a link that cannot be used is
    // shown as an error and reported.
    void OpenLink(const std::string& link);
    // A later start's request: connects, links, and the window to the front.
    void Handle(const HandOver& request);

    // Where problems are written, as UTF-8 lines (standard error by default).
    std::function<void(const std::string& line)> report;

private:
    void Report(const std::string& sjisLine);
    void ConnectFromNewProfile(const IrcLink& link);

    TSDIAppForm& form_;
};

}  // namespace velmok::ui
