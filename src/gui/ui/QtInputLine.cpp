#include "ui/QtInputLine.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <QToolButton>

#include "platform/QtText.h"
#include "session/Engine.h"
#include "widgets/QtStyles.h"

namespace velmok::ui {

using platform::FromSjis;
using platform::ToSjis;

QtInputLine::QtInputLine(QWidget* parent, session::Engine& engine, std::function<InputTarget()> target)
    : QWidget(parent), engine_(engine), target_(std::move(target)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    memo_InputMessage = new QPlainTextEdit(this);
    memo_InputMessage->setObjectName(QStringLiteral("memo_InputMessage"));
    memo_InputMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_InputMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_InputMessage->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_InputMessage->setTabChangesFocus(true);
    memo_InputMessage->setEnabled(false);
    memo_InputMessage->installEventFilter(this);
    connect(memo_InputMessage, &QPlainTextEdit::textChanged, this, &QtInputLine::InputChanged);
    row->addWidget(memo_InputMessage, 1);
    auto makeMode = [this, row](const char* name, const QString& caption, const QString& hint, int mode) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(caption);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        int bar = hint.indexOf(QLatin1Char('|'));
        b->setToolTip(hint.left(bar));
        b->setStatusTip(hint.mid(bar + 1));
        connect(b, &QToolButton::clicked, this, [this, mode] { SetMode(mode); });
        row->addWidget(b);
        return b;
    };
    btn_PrivateMode = makeMode("btn_PrivateMode", QStringLiteral("Private"),
                               QStringLiteral("Privateモード|Privateメッセージを送信"), 0);
    btn_NoticeMode = makeMode("btn_NoticeMode", QStringLiteral("Notice"),
                              QStringLiteral("Noticeモード|Noticeメッセージを送信"), 1);
    btn_ActionMode = makeMode("btn_ActionMode", QStringLiteral("Action"),
                              QStringLiteral("Actionモード|CTCP Actionメッセージを送信"), 2);
    btn_PrivateMode->setChecked(true);
}

void QtInputLine::SetMode(int mode) {
    mode_ = mode;
    QToolButton* buttons[] = {btn_PrivateMode, btn_NoticeMode, btn_ActionMode};
    buttons[mode]->setChecked(true);
}

void QtInputLine::ApplyStyle(const QTextCharFormat& input, const QColor& background) {
    widgets::PinColours(memo_InputMessage, background, input.foreground().color());
    memo_InputMessage->setFont(input.font());
    const int fontHeight = QFontMetrics(input.font()).height();
    setFixedHeight(fontHeight + 13);
    for (QToolButton* b : {btn_PrivateMode, btn_NoticeMode, btn_ActionMode})
        b->setFixedHeight(fontHeight + 10);
}

void QtInputLine::ProcessTyped(const std::string& sjisText) {
    const InputTarget to = target_();
    if (to.slot < 0 || !engine_.Session(to.slot).InUse) return;
    ProcessInput(engine_, to.slot, to.window, static_cast<InputMode>(mode_), sjisText, history_);
}

void QtInputLine::SetTextQuietly(const QString& text) {
    inInputChange_ = true;
    memo_InputMessage->setPlainText(text);
    memo_InputMessage->moveCursor(QTextCursor::End);
    inInputChange_ = false;
}

void QtInputLine::Refuse(const std::vector<char32_t>& refused) {
    const InputTarget to = target_();
    if (to.slot >= 0) RefuseInput(engine_, to.slot, to.window, refused);
}

void QtInputLine::InputChanged() {
    if (inInputChange_) return;
    const platform::TypedChange change =
        platform::ReadTypedChange(memo_InputMessage->toPlainText(), engine_.Encoding(target_().slot));
    if (!change.hasLineBreak) return;
    if (!change.complete.Refused.empty()) {
        // Pasted lines the wire cannot carry whole stay in the field, all of
        // them, until they are mended; said once, not at every keystroke.
        if (change.complete.Refused != pendingRefused_) Refuse(change.complete.Refused);
        pendingRefused_ = change.complete.Refused;
        return;
    }
    pendingRefused_.clear();
    SetTextQuietly(change.remainder);
    for (const std::string& line : SplitInput(change.complete.Sjis).lines) ProcessTyped(line);
}

void QtInputLine::CompleteNick(bool backwards) {
    const InputTarget to = target_();
    if (to.slot < 0 || to.window < 0 || !engine_.Channel(to.slot, to.window).IsChannel) return;
    QTextCursor cursor = memo_InputMessage->textCursor();
    const int caret = cursor.position();
    const QString before = memo_InputMessage->toPlainText().left(caret);
    const auto completed =
        completion_.Complete(ToSjis(before), engine_.Channel(to.slot, to.window).Members, backwards);
    if (!completed) return;
    // Only what the completion changes is replaced, so text before the word
    // that Shift-JIS cannot hold stays as typed.
    int kept = 0;
    std::size_t keptBytes = 0;
    while (kept < before.size()) {
        const int length = before.at(kept).isHighSurrogate() && kept + 1 < before.size() ? 2 : 1;
        const std::string piece = ToSjis(before.mid(kept, length));
        if (completed->compare(keptBytes, piece.size(), piece) != 0) break;
        keptBytes += piece.size();
        kept += length;
    }
    inInputChange_ = true;
    cursor.setPosition(kept);
    cursor.setPosition(caret, QTextCursor::KeepAnchor);
    cursor.insertText(FromSjis(completed->substr(keptBytes)));
    memo_InputMessage->setTextCursor(cursor);
    inInputChange_ = false;
}

bool QtInputLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched != memo_InputMessage) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // The editor claims Ctrl and Shift with Left/Right for word moves and
        // selections; here they switch tabs, and the input line nearly always
        // has the focus. Declining the override lets the actions have them.
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) &&
            (mods == Qt::ControlModifier || mods == Qt::ShiftModifier)) {
            event->ignore();
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
        CompleteNick(key->key() == Qt::Key_Backtab || modifiers == Qt::ShiftModifier);
        return true;
    }
    // Any other key ends a completion cycle; a modifier alone (the Shift of
    // Shift+Tab) does not.
    if (key->key() != Qt::Key_Shift && key->key() != Qt::Key_Control && key->key() != Qt::Key_Alt &&
        key->key() != Qt::Key_Meta)
        completion_.Reset();
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        !(key->modifiers() & Qt::ShiftModifier)) {
        const session::TypedText typed =
            platform::ReadTyped(memo_InputMessage->toPlainText(), engine_.Encoding(target_().slot));
        if (!typed.Refused.empty()) {
            Refuse(typed.Refused);
        } else if (!typed.Sjis.empty()) {
            inInputChange_ = true;
            memo_InputMessage->clear();
            inInputChange_ = false;
            pendingRefused_.clear();
            ProcessTyped(typed.Sjis);
        }
        return true;
    }
    if ((key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown) && modifiers == Qt::NoModifier) {
        if (onPageKey) onPageKey(key->key() == Qt::Key_PageUp ? -1 : 1);
        return true;
    }
    if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && key->modifiers() == Qt::NoModifier) {
        if (auto line = key->key() == Qt::Key_Up ? history_.Up() : history_.Down())
            SetTextQuietly(FromSjis(*line));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace velmok::ui
