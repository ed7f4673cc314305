#pragma once
#include <QWidget>
#include <functional>

class QPlainTextEdit;

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
    // Closed by its own title bar or menu.
    std::function<void()> onClosed;
    // Its menu was opened: the main window's select-all and clear act here now.
    std::function<void()> onMenuOpened;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowMenu(const QPoint& globalPos);

    QPlainTextEdit* Rich_EventLog;
};

}  // namespace velmok::ui
