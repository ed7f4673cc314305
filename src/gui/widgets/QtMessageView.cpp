#include "widgets/QtMessageView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "platform/QtText.h"
#include "ui/LineFormat.h"

namespace velmok::widgets {

using ui::Run;
using ui::StoredLine;
using ui::StyleIndex;
using ui::UrlAtCaret;

namespace {
constexpr int kMargin = 3;
}  // namespace

QtMessageView::QtMessageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    // paintEvent fills it: a palette or style sheet must not decide what the
    // lines are written on.
    viewport()->setAutoFillBackground(false);
}

QtMessageView::~QtMessageView() = default;

void QtMessageView::SetStyleTable(std::shared_ptr<const StyleTable> styles) {
    styles_ = std::move(styles);
    lines_.SetTable(styles_);
}

void QtMessageView::SetBackground(const QColor& colour) {
    background_ = colour;
    viewport()->update();
}

void QtMessageView::SetMaxLines(int lines) {
    const std::size_t dropped = lines_.SetLimit(static_cast<std::size_t>(std::max(1, lines)));
    if (dropped > 0) Appended(dropped);
}

void QtMessageView::AppendLine(const QString& text, const std::vector<Run>& runs) {
    Appended(lines_.Append(StoredLine(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                          static_cast<std::size_t>(text.size())),
                                      runs)));
}

void QtMessageView::AppendLatin1(std::string_view text, const std::vector<Run>& runs) {
    Appended(lines_.Append(StoredLine(text, runs)));
}

void QtMessageView::Appended(std::size_t dropped) {
    droppedSinceUpdate_ += dropped;
    ScheduleUpdate();
}

void QtMessageView::Clear() {
    lines_.Clear();
    cache_.clear();
    anchor_ = cursor_ = Pos{};
    followBottom_ = true;
    droppedSinceUpdate_ = 0;
    ScheduleUpdate();
}

QString QtMessageView::TextOf(std::size_t index) const {
    const StoredLine& line = lines_.At(index);
    if (line.Wide()) {
        const std::u16string_view text = line.WideText();
        return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
    }
    const std::string_view text = line.Narrow();
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString QtMessageView::LineText(int index) const {
    return index >= 0 && index < LineCount() ? TextOf(static_cast<std::size_t>(index)) : QString();
}

QTextCharFormat QtMessageView::FormatAt(int index, int offset) const {
    if (index < 0 || index >= LineCount()) return {};
    const StoredLine& line = lines_.At(static_cast<std::size_t>(index));
    const StyleTable* table = lines_.TableOf(static_cast<std::size_t>(index));
    if (!table) return {};
    for (std::size_t r = 0; r < line.RunCount(); ++r) {
        const Run run = line.RunAt(r);
        if (offset >= run.start && offset < run.start + run.length &&
            run.style < static_cast<int>(table->size()))
            return (*table)[static_cast<std::size_t>(run.style)];
    }
    return {};
}

QString QtMessageView::PlainText() const {
    QString all;
    for (int i = 0; i < LineCount(); ++i) {
        if (i) all += QLatin1Char('\n');
        all += TextOf(static_cast<std::size_t>(i));
    }
    return all;
}

void QtMessageView::SelectAll() {
    if (lines_.Empty()) return;
    anchor_ = Pos{FirstLine(), 0};
    cursor_ = Pos{EndLine() - 1, static_cast<int>(lines_.At(lines_.Size() - 1).Length())};
    viewport()->update();
}

bool QtMessageView::HasSelection() const {
    return anchor_.line >= 0 && !(anchor_ == cursor_) && std::max(anchor_, cursor_).line >= FirstLine();
}

QString QtMessageView::SelectedText() const {
    if (!HasSelection()) return {};
    Pos a = std::min(anchor_, cursor_), b = std::max(anchor_, cursor_);
    // Lines dropped off the top take their part of the selection with them.
    if (a.line < FirstLine()) a = Pos{FirstLine(), 0};
    b.line = std::min(b.line, EndLine() - 1);
    QString out;
    for (std::int64_t i = a.line; i <= b.line; ++i) {
        const QString t = TextOf(static_cast<std::size_t>(i - FirstLine()));
        int from = i == a.line ? std::min<int>(a.offset, t.size()) : 0;
        int to = i == b.line ? std::min<int>(b.offset, t.size()) : t.size();
        out += t.mid(from, to - from);
        if (i != b.line) out += QLatin1Char('\n');
    }
    return out;
}

void QtMessageView::CopySelection() const {
    if (HasSelection()) QApplication::clipboard()->setText(SelectedText());
}

void QtMessageView::ScheduleUpdate() {
    if (updatePending_) return;
    updatePending_ = true;
    // One scroll-bar update and one repaint per pass of the event loop, however
    // many lines arrived in it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            updatePending_ = false;
            UpdateScrollBar();
            viewport()->update();
        },
        Qt::QueuedConnection);
}

int QtMessageView::LayoutWidth() const { return std::max(10, viewport()->width() - 2 * kMargin); }

int QtMessageView::LastPageTop() const {
    const int width = LayoutWidth();
    int room = viewport()->height();
    int top = LineCount();
    while (top > 0) {
        const int h = static_cast<int>(LayoutFor(FirstLine() + top - 1, width)->boundingRect().height());
        if (h > room) break;
        room -= h;
        --top;
    }
    // A last line taller than the view is the last page by itself.
    return std::min(top, std::max(0, LineCount() - 1));
}

void QtMessageView::UpdateScrollBar() {
    adjustingScrollBar_ = true;
    QScrollBar* bar = verticalScrollBar();
    const int max = LastPageTop();
    // Lines dropped off the top move the ones being read up; keep them in view.
    const int dropped = static_cast<int>(std::min<std::size_t>(droppedSinceUpdate_, INT_MAX));
    const int top = std::max(0, bar->value() - dropped);
    droppedSinceUpdate_ = 0;
    bar->setRange(0, max);
    // A page is the lines wholly on screen; the line cut at the edge of the
    // view comes whole on the next page.
    bar->setPageStep(std::max(1, LineCount() - max));
    bar->setValue(followBottom_ ? max : std::min(top, max));
    adjustingScrollBar_ = false;
    // A view that is not painted (a tab in the background) still measures
    // its last page for every new line.
    TrimCache(FirstLine() + max);
}

void QtMessageView::TrimCache(std::int64_t keepFrom) const {
    if (cache_.size() <= painted_.size() * 2 + 64) return;
    // The layouts on screen now, and those from keepFrom on.
    std::unordered_map<std::int64_t, std::shared_ptr<QTextLayout>> keep;
    for (const Painted& p : painted_) keep.emplace(p.line, p.layout);
    for (const auto& [line, layout] : cache_)
        if (line >= keepFrom) keep.emplace(line, layout);
    cache_.swap(keep);
}

void QtMessageView::ScrollPages(int pages) {
    for (int i = 0; i < std::abs(pages); ++i)
        verticalScrollBar()->triggerAction(pages < 0 ? QAbstractSlider::SliderPageStepSub
                                                     : QAbstractSlider::SliderPageStepAdd);
}

std::pair<int, int> QtMessageView::ShownLines() const {
    if (painted_.empty()) return {-1, -1};
    return {static_cast<int>(painted_.front().line - FirstLine()),
            static_cast<int>(painted_.back().line - FirstLine())};
}

void QtMessageView::scrollContentsBy(int, int) {
    if (!adjustingScrollBar_) {
        QScrollBar* bar = verticalScrollBar();
        followBottom_ = bar->value() >= bar->maximum();
    }
    viewport()->update();
}

void QtMessageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
}

std::shared_ptr<QTextLayout> QtMessageView::LayoutFor(std::int64_t line, int width) const {
    if (cacheWidth_ != width) {
        cache_.clear();
        cacheWidth_ = width;
    }
    auto it = cache_.find(line);
    if (it != cache_.end()) return it->second;

    const std::size_t index = static_cast<std::size_t>(line - FirstLine());
    const StoredLine& stored = lines_.At(index);
    const StyleTable* table = lines_.TableOf(index);
    const QString text = TextOf(index);
    auto layout = std::make_shared<QTextLayout>(text, font());
    if (table && !table->empty()) {
        QList<QTextLayout::FormatRange> formats;
        formats.reserve(static_cast<int>(stored.RunCount()));
        for (std::size_t r = 0; r < stored.RunCount(); ++r) {
            const Run run = stored.RunAt(r);
            if (run.style < 0 || run.style >= static_cast<int>(table->size())) continue;
            formats.append(QTextLayout::FormatRange{run.start, run.length, (*table)[run.style]});
        }
        layout->setFormats(formats);
        layout->setFont((*table)[0].font());
    }
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine tl = layout->createLine();
        if (!tl.isValid()) break;
        tl.setLineWidth(width);
        tl.setPosition(QPointF(0, y));
        y += tl.height();
    }
    layout->endLayout();
    cache_.emplace(line, layout);
    return layout;
}

void QtMessageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), background_);
    if (styles_ && !styles_->empty()) painter.setPen((*styles_)[0].foreground().color());
    const int width = LayoutWidth();
    const int height = viewport()->height();
    painted_.clear();
    if (!lines_.Empty()) {
        QScrollBar* bar = verticalScrollBar();
        if (followBottom_ || bar->value() >= bar->maximum()) {
            // The last line at the bottom.
            int y = height;
            for (std::int64_t i = EndLine() - 1; i >= FirstLine() && y > 0; --i) {
                auto layout = LayoutFor(i, width);
                y -= static_cast<int>(layout->boundingRect().height());
                painted_.push_back(Painted{i, y, layout});
            }
            std::reverse(painted_.begin(), painted_.end());
        } else {
            int y = 0;
            for (std::int64_t i = FirstLine() + std::clamp(verticalScrollBar()->value(), 0, LineCount() - 1);
                 i < EndLine() && y < height; ++i) {
                auto layout = LayoutFor(i, width);
                painted_.push_back(Painted{i, y, layout});
                y += static_cast<int>(layout->boundingRect().height());
            }
        }
    }
    TrimCache(EndLine());

    const bool selection = HasSelection();
    QList<QTextLayout::FormatRange> marks;
    const Pos a = std::min(anchor_, cursor_), b = std::max(anchor_, cursor_);
    QTextCharFormat selFormat;
    selFormat.setBackground(palette().highlight());
    selFormat.setForeground(palette().highlightedText());
    for (const Painted& p : painted_) {
        QList<QTextLayout::FormatRange>& sel = marks;
        sel.clear();
        AddFindMarks(p, sel);
        if (selection && p.line >= a.line && p.line <= b.line) {
            const int len = static_cast<int>(p.layout->text().size());
            int from = p.line == a.line ? a.offset : 0;
            int to = p.line == b.line ? b.offset : len;
            if (to > from) sel.append(QTextLayout::FormatRange{from, to - from, selFormat});
        }
        p.layout->draw(&painter, QPointF(kMargin, p.top), sel);
    }
}

void QtMessageView::AddFindMarks(const Painted& p, QList<QTextLayout::FormatRange>& marks) const {
    if (findText_.isEmpty()) return;
    QTextCharFormat match;
    match.setBackground(QColor(255, 230, 0));
    match.setForeground(Qt::black);
    QTextCharFormat current = match;
    current.setBackground(QColor(255, 140, 0));
    const QString text = p.layout->text();
    const std::u16string_view line(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<std::size_t>(text.size()));
    const std::u16string_view wanted(reinterpret_cast<const char16_t*>(findText_.utf16()),
                                     static_cast<std::size_t>(findText_.size()));
    for (const std::size_t at : ui::MatchesInLine(line, wanted)) {
        const bool isCurrent = found_.line == p.line && found_.offset == static_cast<int>(at);
        marks.append(QTextLayout::FormatRange{static_cast<int>(at), static_cast<int>(findText_.size()),
                                              isCurrent ? current : match});
    }
}

std::optional<ui::FindPlace> QtMessageView::Find(const QString& text, ui::FindStep step) {
    findText_ = text;
    std::optional<ui::FindHit> from;
    if (found_.line >= FirstLine() && found_.line < EndLine())
        from = ui::FindHit{static_cast<std::size_t>(found_.line - FirstLine()),
                           static_cast<std::size_t>(found_.offset), 0};
    const ui::FindLineText lineText = [this](std::size_t index, std::u16string& scratch) {
        const StoredLine& line = lines_.At(index);
        if (line.Wide()) return line.WideText();
        const std::string_view narrow = line.Narrow();
        scratch.assign(narrow.begin(), narrow.end());
        for (std::size_t i = 0; i < narrow.size(); ++i) scratch[i] = static_cast<unsigned char>(narrow[i]);
        return std::u16string_view(scratch);
    };
    const std::u16string_view wanted(reinterpret_cast<const char16_t*>(text.utf16()),
                                     static_cast<std::size_t>(text.size()));
    const auto hit = ui::FindInLines(lines_.Size(), lineText, wanted, from, step);
    found_ =
        hit ? Pos{FirstLine() + static_cast<std::int64_t>(hit->line), static_cast<int>(hit->offset)} : Pos{};
    viewport()->update();
    if (!hit) return std::nullopt;
    Reveal(found_.line);
    return ui::PlaceOf(lines_.Size(), lineText, wanted, *hit);
}

void QtMessageView::EndFind() {
    findText_.clear();
    found_ = Pos{};
    viewport()->update();
}

std::pair<int, int> QtMessageView::FoundAt() const {
    if (found_.line < FirstLine() || found_.line >= EndLine()) return {-1, 0};
    return {static_cast<int>(found_.line - FirstLine()), found_.offset};
}

void QtMessageView::Reveal(std::int64_t line) {
    UpdateScrollBar();
    QScrollBar* bar = verticalScrollBar();
    const int index = static_cast<int>(line - FirstLine());
    const auto [first, last] = ShownLines();
    // Already wholly on screen: nothing moves.
    if (first >= 0 && index > first && index < last) return;
    // A third of a page above it, so what led to it shows too.
    const int top = std::clamp(index - bar->pageStep() / 3, 0, bar->maximum());
    followBottom_ = top >= bar->maximum();
    adjustingScrollBar_ = true;
    bar->setValue(top);
    adjustingScrollBar_ = false;
    viewport()->update();
}

QtMessageView::Pos QtMessageView::HitTest(const QPoint& pt) const {
    for (const Painted& p : painted_) {
        QRectF r = p.layout->boundingRect();
        if (pt.y() < p.top || pt.y() >= p.top + r.height()) continue;
        for (int i = 0; i < p.layout->lineCount(); ++i) {
            QTextLine tl = p.layout->lineAt(i);
            if (pt.y() - p.top < tl.y() + tl.height()) {
                return Pos{p.line, tl.xToCursor(pt.x() - kMargin)};
            }
        }
    }
    if (!painted_.empty() && pt.y() >= painted_.back().top) {
        const Painted& last = painted_.back();
        return Pos{last.line, static_cast<int>(last.layout->text().size())};
    }
    if (!painted_.empty()) return Pos{painted_.front().line, 0};
    return Pos{};
}

void QtMessageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    const Pos pos = HitTest(event->position().toPoint());
    anchor_ = cursor_ = pos;
    selecting_ = true;
    viewport()->update();
    if (pos.line < FirstLine() || pos.line >= EndLine() || pos == lastClick_) return;
    lastClick_ = pos;
    OpenUrlAtCaret(pos);
}

void QtMessageView::OpenUrlAtCaret(const Pos& caret) {
    const QString text = TextOf(static_cast<std::size_t>(caret.line - FirstLine()));
    const auto url = UrlAtCaret(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                    static_cast<std::size_t>(text.size())),
                                static_cast<std::size_t>(std::max(0, caret.offset)));
    if (url && onUrlClicked)
        onUrlClicked(
            text.mid(static_cast<qsizetype>(url->first), static_cast<qsizetype>(url->second - url->first)));
}

void QtMessageView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_) return;
    Pos pos = HitTest(event->position().toPoint());
    if (pos.line >= 0) {
        cursor_ = pos;
        viewport()->update();
    }
}

void QtMessageView::mouseReleaseEvent(QMouseEvent*) { selecting_ = false; }

void QtMessageView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void QtMessageView::contextMenuEvent(QContextMenuEvent* event) { emit contextMenuWanted(event->globalPos()); }

namespace {

bool IsAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

void AppendStyledLine(QtMessageView& view, const ui::StyledLine& line,
                      std::vector<QtMessageView::Run>& runs) {
    runs.clear();
    if (IsAscii(line.text)) {
        // Byte offsets are character offsets.
        for (const Run& r : line.runs)
            runs.push_back(
                {static_cast<int>(r.begin), static_cast<int>(r.end - r.begin), StyleIndex(r.style)});
        view.AppendLatin1(line.text, runs);
        return;
    }
    // Runs never split a double-byte character, so each decodes on its own.
    QString text;
    text.reserve(static_cast<qsizetype>(line.text.size()));
    for (const Run& r : line.runs) {
        const int start = static_cast<int>(text.size());
        text += platform::FromSjis(line.text.substr(r.begin, r.end - r.begin));
        runs.push_back({start, static_cast<int>(text.size()) - start, StyleIndex(r.style)});
    }
    view.AppendLine(text, runs);
}

}  // namespace velmok::widgets
