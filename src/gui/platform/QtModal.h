#pragma once
// Dialogs run their own event loop, and anything may happen meanwhile: a
// server drops us, the main window closes under the dialog (a desktop logout,
// SIGTERM). These keep such loops from ending in a crash or a hang.
#include <QPointer>
#include <QWidget>

namespace velmok::platform {

// Kept by a window that opens dialogs of its own. While one of their loops
// runs the window must not go: the dialog is its child, and the code that
// opened it goes on once the loop returns. A close asked for meanwhile is
// held; the window closes once the last loop has returned.
class DialogGuard {
public:
    explicit DialogGuard(QWidget& window) : window_(&window) {}

    // Runs one dialog; false when the window is closing, so that the dialog
    // was not shown, or its answer came after the close and counts as none.
    template <typename F>
    bool Run(F&& dialog) {
        if (held_) return false;
        ++depth_;
        dialog();
        --depth_;
        if (held_ && depth_ == 0) CloseLater();
        return !held_;
    }
    // For closeEvent and done(): true when dialogs are running; the close is
    // then held and must not go on.
    bool Hold();
    bool Closing() const { return held_; }

private:
    void CloseLater();

    QPointer<QWidget> window_;
    int depth_ = 0;
    bool held_ = false;
};

// The main window has closed: every modal dialog still waiting is answered
// with Cancel and every open menu closed, so that the loops they run return
// and nothing waits for a user who has gone.
void EndModalLoops();

}  // namespace velmok::platform
