#pragma once
// The main window's input line: the editor and its Private, Notice and Action
// buttons, over the typing logic of ui/InputLine and ui/NickCompletion.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/InputLine.h"
#include "ui/NickCompletion.h"

class QPlainTextEdit;
class QTextCharFormat;
class QToolButton;

namespace velmok::session {
class Engine;
}

namespace velmok::ui {

// Where a typed line goes: the slot of the shown server tab (-1 when none)
// and the window of that slot's shown tab.
struct InputTarget {
    int slot = -1;
    int window = -1;
};

class QtInputLine : public QWidget {
    Q_OBJECT
public:
    QtInputLine(QWidget* parent, session::Engine& engine, std::function<InputTarget()> target);

    QPlainTextEdit* Editor() const { return memo_InputMessage; }
    // 0 Private, 1 Notice, 2 Action; the buttons follow.
    void SetMode(int mode);
    // One line as if typed and sent into the shown window.
    void ProcessTyped(const std::string& sjisText);
    // Page Up and Page Down scroll the shown view (negative back) while the
    // keyboard stays here.
    std::function<void(int pages)> onPageKey;
    // The input font and colour on the window's background, whatever the
    // palette or a style sheet says; the line's height follows the font.
    void ApplyStyle(const QTextCharFormat& input, const QColor& background);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InputChanged();
    // Tab and Shift+Tab.
    void CompleteNick(bool backwards);
    // Replaces the text without treating the change as typing.
    void SetTextQuietly(const QString& text);
    // The Error line for typed text the wire cannot carry.
    void Refuse(const std::vector<char32_t>& refused);

    session::Engine& engine_;
    std::function<InputTarget()> target_;
    QPlainTextEdit* memo_InputMessage = nullptr;
    QToolButton* btn_PrivateMode = nullptr;
    QToolButton* btn_NoticeMode = nullptr;
    QToolButton* btn_ActionMode = nullptr;
    int mode_ = 0;
    bool inInputChange_ = false;
    // What a paste still waiting in the field was refused for.
    std::vector<char32_t> pendingRefused_;
    InputHistory history_;
    NickCompletion completion_;
};

}  // namespace velmok::ui
