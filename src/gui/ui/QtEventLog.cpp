#include "ui/QtEventLog.h"

#include <QCloseEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QShortcut>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "platform/QtText.h"
#include "ui/Tabs.h"
#include "widgets/QtFindBar.h"

namespace velmok::ui {

Tfrm_EventLog::Tfrm_EventLog(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("イベントログ"));
    setObjectName(QStringLiteral("Tfrm_EventLog"));
    Rich_EventLog = new QPlainTextEdit(this);
    Rich_EventLog->setObjectName(QStringLiteral("Rich_EventLog"));
    Rich_EventLog->setReadOnly(true);
    Rich_EventLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Rich_EventLog);
    findBar_ = new widgets::QtFindBar(this);
    findBar_->onFind = [this](const QString& text, ui::FindStep step) { return Find(text, step); };
    findBar_->onClosed = [this] {
        EndFind();
        Rich_EventLog->setFocus();
    };
    layout->addWidget(findBar_);
    auto* find = new QShortcut(QKeySequence(QStringLiteral("Ctrl+F")), this);
    connect(find, &QShortcut::activated, findBar_, &widgets::QtFindBar::Open);
    resize(400, 300);
    Rich_EventLog->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Rich_EventLog, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowMenu(Rich_EventLog->mapToGlobal(pos)); });
}

void Tfrm_EventLog::ShowMenu(const QPoint& globalPos) {
    if (onMenuOpened) onMenuOpened();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("Popup_MessageWindow"));
    QAction* close = menu.addAction(QStringLiteral("閉じる(&X)"));
    close->setObjectName(QStringLiteral("Popup_MessageWindow_Close"));
    close->setStatusTip(platform::FromSjis(CloseItemFor(MenuOrigin::EventLog, false, std::string()).hint));
    menu.addSeparator();
    QAction* copy = menu.addAction(QStringLiteral("コピー(&C)"));
    QAction* all = menu.addAction(QStringLiteral("すべて選択(&A)"));
    QAction* clear = menu.addAction(QStringLiteral("クリア(&E)"));
    // Turning the event log off in the settings meanwhile deletes this window.
    const QPointer<Tfrm_EventLog> alive(this);
    QAction* chosen = menu.exec(globalPos);
    if (!alive) return;
    if (chosen == copy)
        Rich_EventLog->copy();
    else if (chosen == all)
        Rich_EventLog->selectAll();
    else if (chosen == clear)
        Rich_EventLog->clear();
    else if (chosen == close)
        this->close();
}

namespace {

std::u16string_view Utf16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// No more lines than this are marked at once; the match found always is.
constexpr int kMostMarks = 1000;

}  // namespace

std::optional<ui::FindPlace> Tfrm_EventLog::Find(const QString& text, ui::FindStep step) {
    QTextDocument* document = Rich_EventLog->document();
    const ui::FindLineText lines = [document](std::size_t index, std::u16string& scratch) {
        const QString line = document->findBlockByNumber(static_cast<int>(index)).text();
        scratch.assign(Utf16(line));
        return std::u16string_view(scratch);
    };
    found_ =
        ui::FindInLines(static_cast<std::size_t>(document->blockCount()), lines, Utf16(text), found_, step);
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat match;
    match.setBackground(QColor(255, 230, 0));
    for (QTextBlock block = document->begin(); block.isValid() && marks.size() < kMostMarks;
         block = block.next())
        for (const std::size_t at : ui::MatchesInLine(Utf16(block.text()), Utf16(text))) {
            QTextCursor cursor(block);
            cursor.setPosition(block.position() + static_cast<int>(at));
            cursor.setPosition(block.position() + static_cast<int>(at + text.size()),
                               QTextCursor::KeepAnchor);
            marks.append({cursor, match});
        }
    if (found_) {
        const QTextBlock block = document->findBlockByNumber(static_cast<int>(found_->line));
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + static_cast<int>(found_->offset));
        cursor.setPosition(block.position() + static_cast<int>(found_->offset + found_->length),
                           QTextCursor::KeepAnchor);
        QTextCharFormat current;
        current.setBackground(QColor(255, 140, 0));
        marks.append({cursor, current});
        Rich_EventLog->setTextCursor(cursor);
        Rich_EventLog->centerCursor();
    }
    Rich_EventLog->setExtraSelections(marks);
    if (!found_) return std::nullopt;
    return ui::PlaceOf(static_cast<std::size_t>(document->blockCount()), lines, Utf16(text), *found_);
}

void Tfrm_EventLog::EndFind() {
    found_.reset();
    Rich_EventLog->setExtraSelections({});
}

void Tfrm_EventLog::AppendLine(const QString& text) { Rich_EventLog->appendPlainText(text); }

void Tfrm_EventLog::SetMaxLines(int lines) { Rich_EventLog->setMaximumBlockCount(std::max(1, lines)); }

void Tfrm_EventLog::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClosed) onClosed();
}

}  // namespace velmok::ui
