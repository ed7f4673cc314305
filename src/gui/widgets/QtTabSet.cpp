#include "widgets/QtTabSet.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>

namespace velmok::widgets {

using ui::IsVertical;
using ui::TabSide;

namespace {

QTabBar::Shape ShapeOf(TabSide side) {
    switch (side) {
        case TabSide::Bottom:
            return QTabBar::RoundedSouth;
        case TabSide::Left:
            return QTabBar::RoundedWest;
        case TabSide::Right:
            return QTabBar::RoundedEast;
        case TabSide::Top:
            break;
    }
    return QTabBar::RoundedNorth;
}

QRect RectOf(const ui::Box& b) { return QRect(b.x, b.y, b.width, b.height); }

}  // namespace

QtTabSet::QtTabSet(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    stack_ = new QStackedWidget(this);
    auto makeButton = [this](int step) {
        auto* b = new QToolButton(this);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->hide();
        connect(b, &QToolButton::clicked, this, [this, step] { Scroll(step); });
        return b;
    };
    back_ = makeButton(-1);
    forward_ = makeButton(1);
    ShowArrows();
}

void QtTabSet::ShowArrows() {
    back_->setArrowType(IsVertical(side_) ? Qt::UpArrow : Qt::LeftArrow);
    forward_->setArrowType(IsVertical(side_) ? Qt::DownArrow : Qt::RightArrow);
}

QWidget* QtTabSet::Page(int index) const {
    return index >= 0 && index < Count() ? tabs_[static_cast<std::size_t>(index)].page : nullptr;
}

int QtTabSet::IndexOf(const QWidget* page) const {
    for (int i = 0; i < Count(); ++i)
        if (page && tabs_[static_cast<std::size_t>(i)].page == page) return i;
    return -1;
}

QString QtTabSet::TabText(int index) const {
    return index >= 0 && index < Count() ? tabs_[static_cast<std::size_t>(index)].caption : QString();
}

QIcon QtTabSet::TabIcon(int index) const {
    return index >= 0 && index < Count() ? tabs_[static_cast<std::size_t>(index)].icon : QIcon();
}

int QtTabSet::AddTab(QWidget* page, const QString& caption) {
    Tab tab{caption, QIcon(), page};
    Measure(tab);
    tabs_.push_back(tab);
    stack_->addWidget(page);
    const int index = Count() - 1;
    if (current_ < 0) {
        SetCurrentIndex(index);
    } else {
        Relayout(false);
    }
    return index;
}

void QtTabSet::RemoveTab(int index) {
    if (index < 0 || index >= Count()) return;
    QWidget* page = tabs_[static_cast<std::size_t>(index)].page;
    tabs_.erase(tabs_.begin() + index);
    stack_->removeWidget(page);
    if (hovered_ >= Count()) hovered_ = -1;
    const int before = current_;
    // The tab to the right of a removed current one takes its place, the one
    // before it when it was the last.
    if (index < current_ || current_ >= Count()) --current_;
    if (current_ >= 0) stack_->setCurrentWidget(Page(current_));
    Relayout(index == before);
    if (index <= before) emit currentChanged(current_);
}

void QtTabSet::SetCurrentIndex(int index) {
    if (index < 0 || index >= Count()) return;
    const bool changed = index != current_;
    current_ = index;
    stack_->setCurrentWidget(Page(index));
    Relayout(true);
    if (changed) emit currentChanged(index);
}

void QtTabSet::SetTabText(int index, const QString& caption) {
    if (index < 0 || index >= Count()) return;
    Tab& tab = tabs_[static_cast<std::size_t>(index)];
    if (tab.caption == caption) return;
    tab.caption = caption;
    Measure(tab);
    Relayout(false);
}

void QtTabSet::SetTabIcon(int index, const QIcon& icon) {
    if (index < 0 || index >= Count()) return;
    Tab& tab = tabs_[static_cast<std::size_t>(index)];
    const bool hadIcon = !tab.icon.isNull();
    tab.icon = icon;
    if (hadIcon == icon.isNull()) {
        Measure(tab);
        Relayout(false);
    } else {
        update();
    }
}

void QtTabSet::SetSide(TabSide side) {
    if (side == side_) return;
    side_ = side;
    ShowArrows();
    for (Tab& t : tabs_) Measure(t);
    Relayout(true);
    updateGeometry();
}

void QtTabSet::SetMultiLine(bool on) {
    if (on == multiLine_) return;
    multiLine_ = on;
    Relayout(true);
}

QRect QtTabSet::TabRect(int index) const {
    return index >= 0 && index < static_cast<int>(rects_.size()) ? rects_[static_cast<std::size_t>(index)]
                                                                 : QRect();
}

void QtTabSet::InitOption(QStyleOptionTab& option, int index) const {
    option.initFrom(this);
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.shape = ShapeOf(side_);
    option.documentMode = true;
    option.tabIndex = index;
    if (index < 0 || index >= Count()) return;
    const Tab& tab = tabs_[static_cast<std::size_t>(index)];
    option.text = tab.caption;
    option.icon = tab.icon;
    const int icon = style()->pixelMetric(QStyle::PM_TabBarIconSize, nullptr, this);
    option.iconSize = QSize(icon, icon);
    if (index == current_) option.state |= QStyle::State_Selected;
    if (index == hovered_) option.state |= QStyle::State_MouseOver;
}

void QtTabSet::Measure(Tab& tab) const {
    QStyleOptionTab option;
    InitOption(option, -1);
    option.text = tab.caption;
    option.icon = tab.icon;
    const int iconSide = style()->pixelMetric(QStyle::PM_TabBarIconSize, nullptr, this);
    const QSize icon = tab.icon.isNull() ? QSize(0, 0) : QSize(iconSide, iconSide);
    option.iconSize = icon;
    const int hframe = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this);
    const int vframe = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &option, this);
    const QFontMetrics fm = fontMetrics();
    const int along = fm.size(Qt::TextShowMnemonic, tab.caption).width() + icon.width() + hframe +
                      (tab.icon.isNull() ? 0 : 4);
    const int across = std::max(fm.height(), icon.height()) + vframe;
    const bool vertical = IsVertical(side_);
    const QSize contents = vertical ? QSize(across, along) : QSize(along, across);
    const QSize size = style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, this);
    tab.length = vertical ? size.height() : size.width();
    tab.thickness = vertical ? size.width() : size.height();
}

int QtTabSet::RowThickness() const {
    int thickness = 0;
    for (const Tab& t : tabs_) thickness = std::max(thickness, t.thickness);
    return thickness;
}

int QtTabSet::ButtonExtent() const {
    return std::max(16, style()->pixelMetric(QStyle::PM_TabBarScrollButtonWidth, nullptr, this));
}

void QtTabSet::Relayout(bool keepCurrentShown) {
    std::vector<int> lengths;
    lengths.reserve(tabs_.size());
    for (const Tab& t : tabs_) lengths.push_back(t.length);
    const int available = IsVertical(side_) ? height() : width();
    layout_ = multiLine_ ? ui::WrapTabs(lengths, available)
                         : ui::ScrollTabs(lengths, available, 2 * ButtonExtent(),
                                          keepCurrentShown ? current_ : -1, first_);
    first_ = layout_.first;
    const ui::TabSetGeometry g = ui::PlaceTabs(layout_, side_, width(), height(), RowThickness());
    rects_.clear();
    for (const ui::Box& b : g.tabs) rects_.push_back(RectOf(b));
    stack_->setGeometry(RectOf(g.page));

    const QRect buttons = RectOf(g.buttons);
    back_->setVisible(!buttons.isEmpty());
    forward_->setVisible(!buttons.isEmpty());
    if (!buttons.isEmpty()) {
        const bool vertical = IsVertical(side_);
        const int half = (vertical ? buttons.height() : buttons.width()) / 2;
        back_->setGeometry(vertical ? QRect(buttons.x(), buttons.y(), buttons.width(), half)
                                    : QRect(buttons.x(), buttons.y(), half, buttons.height()));
        forward_->setGeometry(vertical ? QRect(buttons.x(), buttons.y() + half, buttons.width(), half)
                                       : QRect(buttons.x() + half, buttons.y(), half, buttons.height()));
        back_->setEnabled(layout_.canScrollBack);
        forward_->setEnabled(layout_.canScrollForward);
    }
    update();
}

void QtTabSet::Scroll(int step) {
    first_ = std::clamp(first_ + step, 0, std::max(0, Count() - 1));
    Relayout(false);
}

QSize QtTabSet::sizeHint() const {
    const QSize page = stack_->sizeHint();
    const int thickness = RowThickness();
    return IsVertical(side_) ? QSize(page.width() + thickness, page.height())
                             : QSize(page.width(), page.height() + thickness);
}

QSize QtTabSet::minimumSizeHint() const {
    // One row and a page, however many tabs there are: more rows take room
    // from the page, never from the screen.
    const QSize page = stack_->minimumSizeHint().expandedTo(QSize(0, 0));
    const int thickness = RowThickness();
    const int length = 2 * ButtonExtent();
    return IsVertical(side_) ? QSize(page.width() + thickness, std::max(page.height(), length))
                             : QSize(std::max(page.width(), length), page.height() + thickness);
}

void QtTabSet::paintEvent(QPaintEvent*) {
    if (tabs_.empty()) return;
    QStylePainter painter(this);
    QStyleOptionTabBarBase base;
    base.initFrom(this);
    base.shape = ShapeOf(side_);
    base.documentMode = true;
    base.rect = stack_->geometry();
    // The edge between the rows and the page.
    switch (side_) {
        case TabSide::Top:
            base.rect = QRect(0, base.rect.top() - 1, width(), 1);
            break;
        case TabSide::Bottom:
            base.rect = QRect(0, base.rect.bottom() + 1, width(), 1);
            break;
        case TabSide::Left:
            base.rect = QRect(base.rect.left() - 1, 0, 1, height());
            break;
        case TabSide::Right:
            base.rect = QRect(base.rect.right() + 1, 0, 1, height());
            break;
    }
    base.tabBarRect = base.rect;
    base.selectedTabRect = TabRect(current_);
    painter.drawPrimitive(QStyle::PE_FrameTabBarBase, base);

    const QFontMetrics fm = fontMetrics();
    auto draw = [&](int i) {
        const QRect r = TabRect(i);
        if (r.isEmpty()) return;
        QStyleOptionTab option;
        InitOption(option, i);
        option.rect = r;
        const ui::TabSlot& slot = layout_.tabs[static_cast<std::size_t>(i)];
        const bool startsRow = i == 0 || layout_.tabs[static_cast<std::size_t>(i) - 1].row != slot.row ||
                               !layout_.tabs[static_cast<std::size_t>(i) - 1].shown;
        const bool endsRow = i + 1 >= Count() ||
                             layout_.tabs[static_cast<std::size_t>(i) + 1].row != slot.row ||
                             !layout_.tabs[static_cast<std::size_t>(i) + 1].shown;
        option.row = slot.row;
        option.position = startsRow && endsRow ? QStyleOptionTab::OnlyOneTab
                          : startsRow          ? QStyleOptionTab::Beginning
                          : endsRow            ? QStyleOptionTab::End
                                               : QStyleOptionTab::Middle;
        option.selectedPosition = i + 1 == current_   ? QStyleOptionTab::NextIsSelected
                                  : i - 1 == current_ ? QStyleOptionTab::PreviousIsSelected
                                                      : QStyleOptionTab::NotAdjacent;
        const Tab& tab = tabs_[static_cast<std::size_t>(i)];
        if (slot.length < tab.length) {
            // Cut to the row: the end of the caption gives way.
            const int room =
                std::max(0, slot.length - (tab.length - fm.size(Qt::TextShowMnemonic, tab.caption).width()));
            option.text = fm.elidedText(tab.caption, Qt::ElideRight, room, Qt::TextShowMnemonic);
        }
        // Styles draw a tab as if it stood at the top left of a bar of its
        // own, some of them below its rectangle too (Fusion fills under the
        // selected one); here another row may lie there.
        painter.save();
        painter.setClipRect(r);
        painter.translate(r.topLeft());
        option.rect = QRect(QPoint(0, 0), r.size());
        painter.drawControl(QStyle::CE_TabBarTab, option);
        painter.restore();
    };
    for (int i = 0; i < Count(); ++i)
        if (i != current_) draw(i);
    draw(current_);
}

void QtTabSet::resizeEvent(QResizeEvent*) { Relayout(false); }

int QtTabSet::TabAt(const QPoint& point) const {
    for (int i = 0; i < static_cast<int>(rects_.size()); ++i)
        if (rects_[static_cast<std::size_t>(i)].contains(point)) return i;
    return -1;
}

void QtTabSet::mousePressEvent(QMouseEvent* event) {
    const int index = TabAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0) {
        SetCurrentIndex(index);
        return;
    }
    QWidget::mousePressEvent(event);
}

void QtTabSet::mouseMoveEvent(QMouseEvent* event) {
    const int index = TabAt(event->position().toPoint());
    if (index != hovered_) {
        hovered_ = index;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void QtTabSet::leaveEvent(QEvent* event) {
    hovered_ = -1;
    update();
    QWidget::leaveEvent(event);
}

void QtTabSet::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        for (Tab& t : tabs_) Measure(t);
        Relayout(true);
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

bool QtTabSet::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = TabAt(help->pos());
        // The whole caption of a tab cut to its row.
        if (index >= 0 && layout_.tabs[static_cast<std::size_t>(index)].length <
                              tabs_[static_cast<std::size_t>(index)].length) {
            QString caption = tabs_[static_cast<std::size_t>(index)].caption;
            QToolTip::showText(help->globalPos(), caption.replace(QStringLiteral("&&"), QStringLiteral("&")),
                               this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace velmok::widgets
