#pragma once
// The find bar over a view: the text to find, steps backwards and forwards,
// and a close button. Enter finds the next match, Shift+Enter the one
// before, Escape closes; typing finds as it goes.
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "ui/FindText.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace velmok::widgets {

class QtFindBar : public QWidget {
    Q_OBJECT
public:
    explicit QtFindBar(QWidget* parent = nullptr);

    // Shows the bar with its text selected and the keyboard in it.
    void Open();
    // Hides it; onClosed says so.
    void Close();
    QLineEdit* Edit() const { return Edit_Find; }
    // Finds the text (as the view shows typed text) by step: where the match
    // found stands among all, nothing when there is none.
    std::function<std::optional<ui::FindPlace>(const QString& text, ui::FindStep step)> onFind;
    std::function<void()> onClosed;
    // Finds the present text again from the start (the view changed).
    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Step(ui::FindStep step);

    QLineEdit* Edit_Find;
    QToolButton* Btn_FindPrevious;
    QToolButton* Btn_FindNext;
    QToolButton* Btn_FindClose;
    QLabel* Lbl_FindState;
};

// Typed text as a view shows it: each character through Shift-JIS and back,
// so the forms of a Japanese keyboard (〜 U+301C) meet those of received
// lines (～ U+FF5E); one the code page cannot hold stays as it is.
QString AsShown(const QString& typed);

}  // namespace velmok::widgets
