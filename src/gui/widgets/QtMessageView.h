#pragma once
#include <QAbstractScrollArea>
#include <QTextCharFormat>
#include <QTextLayout>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/FindText.h"
#include "ui/LineFormat.h"
#include "ui/LineStore.h"
#include "widgets/QtStyles.h"

namespace velmok::widgets {

// A read-only view of time-stamped lines. Each line is laid out only when it
// is painted, so appending costs a copy of the text and its style runs no
// matter how long the view has grown; a rich-text document would lay out the
// whole paragraph structure on every append.
//
// The view keeps at most MaxLines() lines and drops the oldest beyond that.
// A line keeps the fonts it was written with: a new style table applies to
// the lines appended after it.
//
// The scroll bar counts lines, not pixels: its value is the line at the top,
// its maximum the top line of the last page, so the view is full wherever it
// stands. At the bottom it follows new lines; scrolled back, it stays where
// the user is reading and the scroll bar shows how much more there is below.
//
// It paints its own background and every line in the colours of its style,
// whatever the palette or a style sheet says.
class QtMessageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    using Run = ui::ViewRun;
    using StyleTable = widgets::StyleTable;

    explicit QtMessageView(QWidget* parent = nullptr);
    ~QtMessageView() override;

    // The styles of the lines appended from now on.
    void SetStyleTable(std::shared_ptr<const StyleTable> styles);
    void SetBackground(const QColor& colour);
    // Line layouts kept for painting and measuring.
    std::size_t CachedLayouts() const { return cache_.size(); }
    void SetMaxLines(int lines);
    int MaxLines() const { return static_cast<int>(lines_.Limit()); }

    void AppendLine(const QString& text, const std::vector<Run>& runs);
    // The same for text whose characters are all below U+0100, given as bytes.
    void AppendLatin1(std::string_view text, const std::vector<Run>& runs);
    void Clear();
    // Lines by position among those kept, 0 the oldest.
    int LineCount() const { return static_cast<int>(lines_.Size()); }
    QString LineText(int index) const;
    // The format the character at offset of that line is shown in.
    QTextCharFormat FormatAt(int index, int offset) const;
    // Whole text, lines joined with "\n".
    QString PlainText() const;

    void SelectAll();
    bool HasSelection() const;
    QString SelectedText() const;
    void CopySelection() const;
    bool AtBottom() const { return followBottom_; }
    // Scrolls by whole pages: negative back, positive forward.
    void ScrollPages(int pages);
    // The lines on screen after the last paint (positions as for LineText),
    // the first -1 when none.
    std::pair<int, int> ShownLines() const;
    QColor Background() const { return background_; }

    // The find bar: finds text by step from the match found before, marks
    // every match on screen and brings the one found into view; where it
    // stands among all, nothing when the text occurs nowhere. EndFind takes
    // the marks away.
    std::optional<ui::FindPlace> Find(const QString& text, ui::FindStep step);
    void EndFind();
    // The match found last (line as for LineText, offset), line -1 when none.
    std::pair<int, int> FoundAt() const;

    // Called with the URL a click opens. A second click at the same place of
    // the same line opens nothing.
    std::function<void(const QString& url)> onUrlClicked;

signals:
    void contextMenuWanted(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // line: number of the line since the view was made (LineStore numbering).
    struct Pos {
        std::int64_t line = -1;
        int offset = 0;
        bool operator<(const Pos& o) const { return line < o.line || (line == o.line && offset < o.offset); }
        bool operator==(const Pos& o) const { return line == o.line && offset == o.offset; }
    };
    struct Painted {
        std::int64_t line;
        int top;
        std::shared_ptr<QTextLayout> layout;
    };

    void Appended(std::size_t dropped);
    QString TextOf(std::size_t index) const;
    std::shared_ptr<QTextLayout> LayoutFor(std::int64_t line, int width) const;
    void UpdateScrollBar();
    // Drops the cached layouts of lines neither on screen nor from keepFrom on.
    void TrimCache(std::int64_t keepFrom) const;
    int LayoutWidth() const;
    // The position of the first line wholly on screen when the last line
    // stands at the bottom: the scroll bar's maximum.
    int LastPageTop() const;
    void ScheduleUpdate();
    // Scrolls so that the line (number since the view was made) is on screen.
    void Reveal(std::int64_t line);
    // The marks of the find bar's matches in one painted line.
    void AddFindMarks(const Painted& p, QList<QTextLayout::FormatRange>& marks) const;
    Pos HitTest(const QPoint& p) const;
    void OpenUrlAtCaret(const Pos& caret);
    std::int64_t FirstLine() const { return static_cast<std::int64_t>(lines_.First()); }
    std::int64_t EndLine() const { return FirstLine() + LineCount(); }

    ui::LineStore<StyleTable> lines_;
    std::shared_ptr<const StyleTable> styles_;
    QColor background_ = Qt::black;
    bool followBottom_ = true;
    bool updatePending_ = false;
    bool adjustingScrollBar_ = false;
    // Lines dropped from the top since the scroll bar was last set.
    std::size_t droppedSinceUpdate_ = 0;
    std::vector<Painted> painted_;
    Pos anchor_, cursor_;
    bool selecting_ = false;
    Pos lastClick_;
    QString findText_;
    Pos found_;  // line -1: no match found
    // Layouts of the lines painted last, reused while the width stays the same.
    mutable int cacheWidth_ = -1;
    mutable std::unordered_map<std::int64_t, std::shared_ptr<QTextLayout>> cache_;
};

// Appends a formatted Shift-JIS line to a view; runs is scratch space the
// caller keeps so repeated appends do not allocate.
void AppendStyledLine(QtMessageView& view, const ui::StyledLine& line, std::vector<QtMessageView::Run>& runs);

}  // namespace velmok::widgets
