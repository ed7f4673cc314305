#pragma once
#include <QWidget>
#include <functional>
#include <optional>

#include "ui/FindText.h"

class QPlainTextEdit;

namespace velmok::widgets {
class QtFindBar;
}

namespace velmok::ui {

// The event log window: a read-only view of the trigger traces, with its own
// menu (close, copy, select all, clear).
class Tfrm_EventLog : public QWidget {
    Q_OBJECT
public:
    explicit Tfrm_EventLog(QWidget* parent = nullptr);
    void AppendLine(const QString& text);
    // The oldest lines go beyond this many.
    void SetMaxLines(int lines);
    QPlainTextEdit* View() const { return Rich_EventLog; }
    // Ctrl+F in this window opens it.
    widgets::QtFindBar* FindBar() const { return findBar_; }
    // Finds text by step from the match found before, marks every match
    // and shows the one found; where it stands among all, nothing when none.
    std::optional<ui::FindPlace> Find(const QString& text, ui::FindStep step);
    // Closed by its own title bar or menu.
    std::function<void()> onClosed;
    // Its menu was opened: the main window's select-all and clear act here now.
    std::function<void()> onMenuOpened;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowMenu(const QPoint& globalPos);

    void EndFind();

    QPlainTextEdit* Rich_EventLog;
    widgets::QtFindBar* findBar_;
    std::optional<ui::FindHit> found_;
};

}  // namespace velmok::ui
