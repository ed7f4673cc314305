#pragma once
#include <QAbstractScrollArea>
#include <QTextCharFormat>
#include <QTextLayout>
#include <QVector>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "ui/LineFormat.h"

namespace velmok::ui {

// A read-only view of time-stamped lines. Each line is laid out only when it
// is painted, so appending costs a copy of the text and its style runs no
// matter how long the view has grown; a rich-text document would lay out the
// whole paragraph structure on every append.
//
// The scroll bar counts lines, not pixels. While the view is scrolled to the
// bottom it follows new lines.
class QtMessageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    struct Run {
        int start = 0;
        int length = 0;
        int style = 0;  // index into the style table
    };

    explicit QtMessageView(QWidget* parent = nullptr);
    ~QtMessageView() override;

    // Styles are shared by every view of the main window.
    void SetStyleTable(const std::vector<QTextCharFormat>* styles);
    void SetBackground(const QColor& colour);

    void AppendLine(const QString& text, const std::vector<Run>& runs);
    void Clear();
    int LineCount() const { return static_cast<int>(lines_.size()); }
    QString LineText(int index) const { return lines_[index].text; }
    const std::vector<Run>& LineRuns(int index) const { return lines_[index].runs; }
    // Whole text, lines joined with "\n".
    QString PlainText() const;

    void SelectAll();
    bool HasSelection() const;
    QString SelectedText() const;
    void CopySelection() const;
    bool AtBottom() const { return followBottom_; }

    // Called with the text of a URL run that was clicked (positions remembered
    // so the same click place opens it once).
    std::function<void(const QString& url)> onUrlClicked;
    // The style index that marks URLs; set by the owner.
    int urlStyleBase = -1;
    std::function<bool(int style)> isUrlStyle;

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
    struct Line {
        QString text;
        std::vector<Run> runs;
    };
    struct Painted {
        int line;
        int top;
        std::shared_ptr<QTextLayout> layout;
    };
    struct Pos {
        int line = -1;
        int offset = 0;
        bool operator<(const Pos& o) const { return line < o.line || (line == o.line && offset < o.offset); }
        bool operator==(const Pos& o) const { return line == o.line && offset == o.offset; }
    };

    std::shared_ptr<QTextLayout> LayoutFor(int index, int width) const;
    void UpdateScrollBar();
    void ScheduleUpdate();
    Pos HitTest(const QPoint& p) const;

    std::vector<Line> lines_;
    const std::vector<QTextCharFormat>* styles_ = nullptr;
    bool followBottom_ = true;
    bool updatePending_ = false;
    bool adjustingScrollBar_ = false;
    std::vector<Painted> painted_;
    Pos anchor_, cursor_;
    bool selecting_ = false;
    Pos lastClick_;
    // Layouts of the lines painted last, reused while the width stays the same.
    mutable int cacheWidth_ = -1;
    mutable std::unordered_map<int, std::shared_ptr<QTextLayout>> cache_;
};

// Appends a formatted Shift-JIS line to a view; runs is scratch space the
// caller keeps so repeated appends do not allocate.
void AppendStyledLine(QtMessageView& view, const StyledLine& line, std::vector<QtMessageView::Run>& runs);

}  // namespace velmok::ui
