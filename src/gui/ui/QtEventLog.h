#pragma once
#include <QWidget>
#include <functional>

class QPlainTextEdit;

namespace velmok::ui {

// The event log window: a read-only view of the trigger traces.
class Tfrm_EventLog : public QWidget {
    Q_OBJECT
public:
    explicit Tfrm_EventLog(QWidget* parent = nullptr);
    void AppendLine(const QString& text);
    // The oldest lines go beyond this many.
    void SetMaxLines(int lines);
    QPlainTextEdit* View() const { return Rich_EventLog; }
    // Closed by its own title bar.
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPlainTextEdit* Rich_EventLog;
};

}  // namespace velmok::ui
