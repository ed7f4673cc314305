#include "ui/QtMessageView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "platform/QtText.h"

namespace velmok::ui {

namespace {
constexpr int kMargin = 3;

}  // namespace

QtMessageView::QtMessageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    viewport()->setAutoFillBackground(true);
}

QtMessageView::~QtMessageView() = default;

void QtMessageView::SetStyleTable(const std::vector<QTextCharFormat>* styles) {
    styles_ = styles;
    cache_.clear();
    viewport()->update();
}

void QtMessageView::SetBackground(const QColor& colour) {
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Window, colour);
    viewport()->setPalette(p);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->update();
}

void QtMessageView::AppendLine(const QString& text, const std::vector<Run>& runs) {
    lines_.push_back(Line{text, runs});
    ScheduleUpdate();
}

void QtMessageView::Clear() {
    lines_.clear();
    cache_.clear();
    anchor_ = cursor_ = Pos{};
    followBottom_ = true;
    ScheduleUpdate();
}

QString QtMessageView::PlainText() const {
    QString all;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i) all += QLatin1Char('\n');
        all += lines_[i].text;
    }
    return all;
}

void QtMessageView::SelectAll() {
    if (lines_.empty()) return;
    anchor_ = Pos{0, 0};
    cursor_ = Pos{LineCount() - 1, static_cast<int>(lines_.back().text.size())};
    viewport()->update();
}

bool QtMessageView::HasSelection() const { return anchor_.line >= 0 && !(anchor_ == cursor_); }

QString QtMessageView::SelectedText() const {
    if (!HasSelection()) return {};
    Pos a = std::min(anchor_, cursor_), b = std::max(anchor_, cursor_);
    a.line = std::clamp(a.line, 0, LineCount() - 1);
    b.line = std::clamp(b.line, 0, LineCount() - 1);
    QString out;
    for (int i = a.line; i <= b.line; ++i) {
        const QString& t = lines_[i].text;
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

void QtMessageView::UpdateScrollBar() {
    adjustingScrollBar_ = true;
    QScrollBar* bar = verticalScrollBar();
    int max = std::max(0, LineCount() - 1);
    bar->setRange(0, max);
    bar->setPageStep(std::max(1, viewport()->height() / std::max(1, fontMetrics().height())));
    if (followBottom_) bar->setValue(max);
    adjustingScrollBar_ = false;
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

std::shared_ptr<QTextLayout> QtMessageView::LayoutFor(int index, int width) const {
    if (cacheWidth_ != width) {
        cache_.clear();
        cacheWidth_ = width;
    }
    auto it = cache_.find(index);
    if (it != cache_.end()) return it->second;

    const Line& line = lines_[index];
    auto layout = std::make_shared<QTextLayout>(line.text, font());
    if (styles_ && !styles_->empty()) {
        QList<QTextLayout::FormatRange> formats;
        formats.reserve(static_cast<int>(line.runs.size()));
        for (const Run& r : line.runs) {
            if (r.style < 0 || r.style >= static_cast<int>(styles_->size())) continue;
            formats.append(QTextLayout::FormatRange{r.start, r.length, (*styles_)[r.style]});
        }
        layout->setFormats(formats);
        layout->setFont((*styles_)[0].font());
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
    cache_.emplace(index, layout);
    return layout;
}

void QtMessageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int width = std::max(10, viewport()->width() - 2 * kMargin);
    const int height = viewport()->height();
    painted_.clear();
    if (!lines_.empty()) {
        if (followBottom_) {
            int y = height;
            for (int i = LineCount() - 1; i >= 0 && y > 0; --i) {
                auto layout = LayoutFor(i, width);
                y -= static_cast<int>(layout->boundingRect().height());
                painted_.push_back(Painted{i, y, layout});
            }
            std::reverse(painted_.begin(), painted_.end());
        } else {
            int y = 0;
            for (int i = std::clamp(verticalScrollBar()->value(), 0, LineCount() - 1);
                 i < LineCount() && y < height; ++i) {
                auto layout = LayoutFor(i, width);
                painted_.push_back(Painted{i, y, layout});
                y += static_cast<int>(layout->boundingRect().height());
            }
        }
    }
    // Keep only the layouts that are on screen now.
    if (cache_.size() > painted_.size() * 2 + 64) {
        std::unordered_map<int, std::shared_ptr<QTextLayout>> keep;
        for (const Painted& p : painted_) keep.emplace(p.line, p.layout);
        cache_.swap(keep);
    }

    const bool selection = HasSelection();
    const Pos a = std::min(anchor_, cursor_), b = std::max(anchor_, cursor_);
    QTextCharFormat selFormat;
    selFormat.setBackground(palette().highlight());
    selFormat.setForeground(palette().highlightedText());
    for (const Painted& p : painted_) {
        QList<QTextLayout::FormatRange> sel;
        if (selection && p.line >= a.line && p.line <= b.line) {
            int len = lines_[p.line].text.size();
            int from = p.line == a.line ? a.offset : 0;
            int to = p.line == b.line ? b.offset : len;
            if (to > from) sel.append(QTextLayout::FormatRange{from, to - from, selFormat});
        }
        p.layout->draw(&painter, QPointF(kMargin, p.top), sel);
    }
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
        return Pos{last.line, static_cast<int>(lines_[last.line].text.size())};
    }
    if (!painted_.empty()) return Pos{painted_.front().line, 0};
    return Pos{};
}

void QtMessageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    Pos pos = HitTest(event->position().toPoint());
    anchor_ = cursor_ = pos;
    selecting_ = true;
    viewport()->update();
    if (pos.line < 0 || pos == lastClick_) return;
    lastClick_ = pos;
    // A click inside a marked URL opens it.
    const Line& line = lines_[pos.line];
    for (const Run& r : line.runs) {
        if (pos.offset >= r.start && pos.offset < r.start + r.length && isUrlStyle && isUrlStyle(r.style)) {
            if (onUrlClicked) onUrlClicked(line.text.mid(r.start, r.length));
            break;
        }
    }
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

void AppendStyledLine(QtMessageView& view, const StyledLine& line, std::vector<QtMessageView::Run>& runs) {
    runs.clear();
    if (IsAscii(line.text)) {
        // Byte offsets are character offsets.
        for (const Run& r : line.runs)
            runs.push_back(
                {static_cast<int>(r.begin), static_cast<int>(r.end - r.begin), StyleIndex(r.style)});
        view.AppendLine(QString::fromLatin1(line.text.data(), static_cast<qsizetype>(line.text.size())),
                        runs);
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

}  // namespace velmok::ui
