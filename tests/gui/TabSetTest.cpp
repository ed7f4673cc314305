// The tab set as a user meets it: rows on every side, clicks, scrolling.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "widgets/QtTabSet.h"

namespace velmok::widgets {
namespace {

using ui::TabSide;

void AddTabs(QtTabSet& set, int count) {
    for (int i = 0; i < count; ++i)
        set.addTab(new QWidget, QStringLiteral("#channel-%1%2").arg(i).arg(QString(i % 7, QLatin1Char('x'))));
}

TEST(TabSetTest, RowsOnEverySideKeepEveryTabInSightAndAskForNoMoreRoom) {
    for (const TabSide side : {TabSide::Top, TabSide::Bottom, TabSide::Left, TabSide::Right}) {
        QSize minimumWithOne;
        for (const int count : {1, 15, 40}) {
            SCOPED_TRACE(testing::Message() << "side " << static_cast<int>(side) << ", " << count << " tabs");
            QtTabSet set;
            set.setTabSide(side);
            set.resize(640, 480);
            AddTabs(set, count);
            set.show();
            QCoreApplication::processEvents();
            if (count == 1) minimumWithOne = set.minimumSizeHint();
            EXPECT_EQ(set.minimumSizeHint(), minimumWithOne);
            EXPECT_EQ(set.rowCount() > 1, count > 1);
            const QRect page = set.currentWidget()->parentWidget()->geometry();
            EXPECT_FALSE(page.isEmpty());
            for (int i = 0; i < count; ++i) {
                const QRect r = set.tabRect(i);
                EXPECT_FALSE(r.isEmpty()) << i;
                EXPECT_TRUE(set.rect().contains(r)) << i;
                EXPECT_FALSE(r.intersects(page)) << i;
                for (int j = 0; j < i; ++j) EXPECT_FALSE(r.intersects(set.tabRect(j))) << j << " " << i;
            }
            // A click on a tab of the last row enters it.
            QSignalSpy changed(&set, &QtTabSet::currentChanged);
            QTest::mouseClick(&set, Qt::LeftButton, Qt::NoModifier, set.tabRect(count - 1).center());
            EXPECT_EQ(set.currentIndex(), count - 1);
            EXPECT_EQ(changed.count(), count > 1 ? 1 : 0);
        }
    }
}

TEST(TabSetTest, OneRowScrollsWithItsButtonsAndRemovingTheCurrentTabEntersItsNeighbour) {
    QtTabSet set;
    set.setMultiLine(false);
    set.resize(640, 480);
    AddTabs(set, 40);
    set.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(set.rowCount(), 1);
    ASSERT_TRUE(set.scrollButton(true)->isVisible());
    EXPECT_FALSE(set.scrollButton(false)->isEnabled());

    set.setCurrentIndex(39);
    EXPECT_TRUE(set.rect().contains(set.tabRect(39)));
    EXPECT_TRUE(set.tabRect(0).isEmpty());
    EXPECT_FALSE(set.tabRect(39).intersects(set.scrollButton(false)->geometry()));
    int first = 0;
    while (set.tabRect(first).isEmpty()) ++first;
    QTest::mouseClick(set.scrollButton(false), Qt::LeftButton);
    EXPECT_FALSE(set.tabRect(first - 1).isEmpty());
    EXPECT_EQ(set.currentIndex(), 39);  // scrolling does not change tabs

    // Removing the current tab enters the one after it, or before it at the end.
    set.setCurrentIndex(10);
    QWidget* eleventh = set.widget(11);
    std::unique_ptr<QWidget> removed(set.widget(10));
    set.removeTab(10);
    EXPECT_EQ(set.currentWidget(), eleventh);
    set.setCurrentIndex(set.count() - 1);
    QWidget* before = set.widget(set.count() - 2);
    std::unique_ptr<QWidget> last(set.widget(set.count() - 1));
    set.removeTab(set.count() - 1);
    EXPECT_EQ(set.currentWidget(), before);
}

}  // namespace
}  // namespace velmok::widgets
