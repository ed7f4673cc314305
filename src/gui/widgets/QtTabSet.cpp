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
        connect(b, &QToolButton::clicked, this, [this, step] { scrollBy(step); });
        return b;
    };
    back_ = makeButton(-1);
    forward_ = makeButton(1);
    showArrows();
}

void QtTabSet::showArrows() {
    back_->setArrowType(IsVertical(side_) ? Qt::UpArrow : Qt::LeftArrow);
    forward_->setArrowType(IsVertical(side_) ? Qt::DownArrow : Qt::RightArrow);
}

QWidget* QtTabSet::widget(int index) const {
    return index >= 0 && index < count() ? tabs_[static_cast<std::size_t>(index)].page : nullptr;
}

int QtTabSet::indexOf(const QWidget* page) const {
    for (int i = 0; i < count(); ++i)
        if (page && tabs_[static_cast<std::size_t>(i)].page == page) return i;
    return -1;
}

QString QtTabSet::tabText(int index) const {
    return index >= 0 && index < count() ? tabs_[static_cast<std::size_t>(index)].caption : QString();
}

QIcon QtTabSet::tabIcon(int index) const {
    return index >= 0 && index < count() ? tabs_[static_cast<std::size_t>(index)].icon : QIcon();
}

int QtTabSet::addTab(QWidget* page, const QString& caption) {
    Tab tab{caption, QIcon(), page};
    measure(tab);
    tabs_.push_back(tab);
    stack_->addWidget(page);
    const int index = count() - 1;
    if (current_ < 0) {
        setCurrentIndex(index);
    } else {
        relayout(false);
    }
    return index;
}

void QtTabSet::removeTab(int index) {
    if (index < 0 || index >= count()) return;
    QWidget* page = tabs_[static_cast<std::size_t>(index)].page;
    tabs_.erase(tabs_.begin() + index);
    stack_->removeWidget(page);
    if (hovered_ >= count()) hovered_ = -1;
    const int before = current_;
    // The tab to the right of a removed current one takes its place, the one
    // before it when it was the last.
    if (index < current_ || current_ >= count()) --current_;
    if (current_ >= 0) stack_->setCurrentWidget(widget(current_));
    relayout(index == before);
    if (index <= before) emit currentChanged(current_);
}

void QtTabSet::setCurrentIndex(int index) {
    if (index < 0 || index >= count()) return;
    const bool changed = index != current_;
    current_ = index;
    stack_->setCurrentWidget(widget(index));
    relayout(true);
    if (changed) emit currentChanged(index);
}

void QtTabSet::setTabText(int index, const QString& caption) {
    if (index < 0 || index >= count()) return;
    Tab& tab = tabs_[static_cast<std::size_t>(index)];
    if (tab.caption == caption) return;
    tab.caption = caption;
    measure(tab);
    relayout(false);
}

void QtTabSet::setTabIcon(int index, const QIcon& icon) {
    if (index < 0 || index >= count()) return;
    Tab& tab = tabs_[static_cast<std::size_t>(index)];
    const bool hadIcon = !tab.icon.isNull();
    tab.icon = icon;
    if (hadIcon == icon.isNull()) {
        measure(tab);
        relayout(false);
    } else {
        update();
    }
}

void QtTabSet::setTabSide(TabSide side) {
    if (side == side_) return;
    side_ = side;
    showArrows();
    for (Tab& t : tabs_) measure(t);
    relayout(true);
    updateGeometry();
}

void QtTabSet::setMultiLine(bool on) {
    if (on == multiLine_) return;
    multiLine_ = on;
    relayout(true);
}

QRect QtTabSet::tabRect(int index) const {
    return index >= 0 && index < static_cast<int>(rects_.size()) ? rects_[static_cast<std::size_t>(index)]
                                                                 : QRect();
}

void QtTabSet::initOption(QStyleOptionTab& option, int index) const {
    option.initFrom(this);
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.shape = ShapeOf(side_);
    option.documentMode = true;
    option.tabIndex = index;
    if (index < 0 || index >= count()) return;
    const Tab& tab = tabs_[static_cast<std::size_t>(index)];
    option.text = tab.caption;
    option.icon = tab.icon;
    const int icon = style()->pixelMetric(QStyle::PM_TabBarIconSize, nullptr, this);
    option.iconSize = QSize(icon, icon);
    if (index == current_) option.state |= QStyle::State_Selected;
    if (index == hovered_) option.state |= QStyle::State_MouseOver;
}

void QtTabSet::measure(Tab& tab) const {
    QStyleOptionTab option;
    initOption(option, -1);
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

int QtTabSet::rowThickness() const {
    int thickness = 0;
    for (const Tab& t : tabs_) thickness = std::max(thickness, t.thickness);
    return thickness;
}

int QtTabSet::buttonExtent() const {
    return std::max(16, style()->pixelMetric(QStyle::PM_TabBarScrollButtonWidth, nullptr, this));
}

void QtTabSet::relayout(bool keepCurrentShown) {
    std::vector<int> lengths;
    lengths.reserve(tabs_.size());
    for (const Tab& t : tabs_) lengths.push_back(t.length);
    const int available = IsVertical(side_) ? height() : width();
    layout_ = multiLine_ ? ui::WrapTabs(lengths, available)
                         : ui::ScrollTabs(lengths, available, 2 * buttonExtent(),
                                          keepCurrentShown ? current_ : -1, first_);
    first_ = layout_.first;
    const ui::TabSetGeometry g = ui::PlaceTabs(layout_, side_, width(), height(), rowThickness());
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

void QtTabSet::scrollBy(int step) {
    first_ = std::clamp(first_ + step, 0, std::max(0, count() - 1));
    relayout(false);
}

QSize QtTabSet::sizeHint() const {
    const QSize page = stack_->sizeHint();
    const int thickness = rowThickness();
    return IsVertical(side_) ? QSize(page.width() + thickness, page.height())
                             : QSize(page.width(), page.height() + thickness);
}

QSize QtTabSet::minimumSizeHint() const {
    // One row and a page, however many tabs there are: more rows take room
    // from the page, never from the screen.
    const QSize page = stack_->minimumSizeHint().expandedTo(QSize(0, 0));
    const int thickness = rowThickness();
    const int length = 2 * buttonExtent();
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
    base.selectedTabRect = tabRect(current_);
    painter.drawPrimitive(QStyle::PE_FrameTabBarBase, base);

    const QFontMetrics fm = fontMetrics();
    auto draw = [&](int i) {
        const QRect r = tabRect(i);
        if (r.isEmpty()) return;
        QStyleOptionTab option;
        initOption(option, i);
        option.rect = r;
        const ui::TabSlot& slot = layout_.tabs[static_cast<std::size_t>(i)];
        const bool startsRow = i == 0 || layout_.tabs[static_cast<std::size_t>(i) - 1].row != slot.row ||
                               !layout_.tabs[static_cast<std::size_t>(i) - 1].shown;
        const bool endsRow = i + 1 >= count() ||
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
    for (int i = 0; i < count(); ++i)
        if (i != current_) draw(i);
    draw(current_);
}

void QtTabSet::resizeEvent(QResizeEvent*) { relayout(false); }

int QtTabSet::tabAt(const QPoint& point) const {
    for (int i = 0; i < static_cast<int>(rects_.size()); ++i)
        if (rects_[static_cast<std::size_t>(i)].contains(point)) return i;
    return -1;
}

void QtTabSet::mousePressEvent(QMouseEvent* event) {
    const int index = tabAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0) {
        setCurrentIndex(index);
        return;
    }
    QWidget::mousePressEvent(event);
}

void QtTabSet::mouseMoveEvent(QMouseEvent* event) {
    const int index = tabAt(event->position().toPoint());
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
        for (Tab& t : tabs_) measure(t);
        relayout(true);
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

bool QtTabSet::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = tabAt(help->pos());
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
