#pragma once
#include <QIcon>
#include <QString>
#include <QWidget>
#include <vector>

#include "ui/TabRows.h"

class QStackedWidget;
class QStyleOptionTab;
class QToolButton;

namespace velmok::widgets {

// Pages with a tab each, the tabs on any side of the page. With several rows
// on, the tabs wrap into as many rows (columns beside the page) as the width
// (height) needs; with it off they stay in one row that scrolls with two
// buttons. Either way the set asks for no more room with forty tabs than with
// one: the page gives up what the rows take.
//
// Only the user's click or the caller changes the current tab; the set never
// takes the keyboard focus. Its calls are named as QTabWidget's, whose place
// it takes.
class QtTabSet : public QWidget {
    Q_OBJECT
public:
    explicit QtTabSet(QWidget* parent = nullptr);

    // The set takes the page over; removing the tab hands it back.
    int addTab(QWidget* page, const QString& caption);
    void removeTab(int index);
    int count() const { return static_cast<int>(tabs_.size()); }
    int currentIndex() const { return current_; }
    void setCurrentIndex(int index);
    QWidget* currentWidget() const { return widget(current_); }
    void setCurrentWidget(QWidget* page) { setCurrentIndex(indexOf(page)); }
    QWidget* widget(int index) const;
    int indexOf(const QWidget* page) const;
    // The caption as set: "&&" shows one "&".
    QString tabText(int index) const;
    void setTabText(int index, const QString& caption);
    QIcon tabIcon(int index) const;
    void setTabIcon(int index, const QIcon& icon);

    void setTabSide(ui::TabSide side);
    ui::TabSide tabSide() const { return side_; }
    void setMultiLine(bool on);
    bool multiLine() const { return multiLine_; }

    // Where the tab is shown, in the set's coordinates; empty while it is
    // scrolled out of sight.
    QRect tabRect(int index) const;
    int rowCount() const { return layout_.rows; }
    // The buttons that scroll a single row back and forward.
    QToolButton* scrollButton(bool forward) const { return forward ? forward_ : back_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Tab {
        QString caption;
        QIcon icon;
        QWidget* page = nullptr;
        int length = 0;     // the whole caption's length along the row
        int thickness = 0;  // across the row
    };

    void measure(Tab& tab) const;
    void initOption(QStyleOptionTab& option, int index) const;
    // Lays the rows out again; keepCurrentShown: a single row scrolls to the
    // current tab.
    void relayout(bool keepCurrentShown = true);
    void scrollBy(int step);
    void showArrows();
    int tabAt(const QPoint& point) const;
    int rowThickness() const;
    int buttonExtent() const;

    std::vector<Tab> tabs_;
    int current_ = -1;
    int hovered_ = -1;
    int first_ = 0;
    ui::TabSide side_ = ui::TabSide::Top;
    bool multiLine_ = true;
    ui::TabRowLayout layout_;
    std::vector<QRect> rects_;
    QStackedWidget* stack_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
};

}  // namespace velmok::widgets
