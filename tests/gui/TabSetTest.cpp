// The tab set as a user meets it: rows on every side, clicks, scrolling.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "widgets/QtTabSet.h"

namespace velmok::widgets {
namespace {

using ui::TabSide;

void AddTabs(QtTabSet& set, int count) {
    for (int i = 0; i < count; ++i)
        set.addTab(new QWidget, QStringLiteral("#channel-%1%2").arg(i).arg(QString(i % 7, QLatin1Char('x'))));
}

// 1, 15 and 40 tabs on every side of a 640 by 480 set: every tab in sight,
// none over another or over the page, and no more room asked for than with one.
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
            if (count == 1) minimumWithOne = set.minimumSizeHint();
            EXPECT_EQ(set.minimumSizeHint(), minimumWithOne);
            EXPECT_EQ(set.rowCount() > 1, count > 1);
            const QRect page = set.currentWidget()->parentWidget()->geometry();
            for (int i = 0; i < count; ++i) {
                const QRect r = set.tabRect(i);
                EXPECT_TRUE(!r.isEmpty() && set.rect().contains(r) && !r.intersects(page)) << i;
                for (int j = 0; j < i; ++j) EXPECT_FALSE(r.intersects(set.tabRect(j))) << j << " " << i;
            }
            QSignalSpy changed(&set, &QtTabSet::currentChanged);
            QTest::mouseClick(&set, Qt::LeftButton, Qt::NoModifier, set.tabRect(count - 1).center());
            EXPECT_EQ(set.currentIndex(), count - 1);
            EXPECT_EQ(changed.count(), count > 1 ? 1 : 0);
        }
    }
}

TEST(TabSetTest, OneRowScrollsWithItsButtonsWithoutChangingTabs) {
    QtTabSet set;
    set.setMultiLine(false);
    set.resize(640, 480);
    AddTabs(set, 40);
    set.show();
    EXPECT_EQ(set.rowCount(), 1);
    ASSERT_TRUE(set.scrollButton(true)->isVisible());
    EXPECT_FALSE(set.scrollButton(false)->isEnabled());
    set.setCurrentIndex(39);
    EXPECT_TRUE(set.rect().contains(set.tabRect(39)) && set.tabRect(0).isEmpty());
    EXPECT_FALSE(set.tabRect(39).intersects(set.scrollButton(false)->geometry()));
    int first = 0;
    while (set.tabRect(first).isEmpty()) ++first;
    QTest::mouseClick(set.scrollButton(false), Qt::LeftButton);
    EXPECT_FALSE(set.tabRect(first - 1).isEmpty());
    EXPECT_EQ(set.currentIndex(), 39);
}

}  // namespace
}  // namespace velmok::widgets
