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
        set.AddTab(new QWidget, QStringLiteral("#channel-%1%2").arg(i).arg(QString(i % 7, QLatin1Char('x'))));
}

TEST(TabSetTest, RowsOnEverySideKeepEveryTabInSightAndAskForNoMoreRoom) {
    for (const TabSide side : {TabSide::Top, TabSide::Bottom, TabSide::Left, TabSide::Right}) {
        QSize minimumWithOne;
        for (const int count : {1, 15, 40}) {
            SCOPED_TRACE(testing::Message() << "side " << static_cast<int>(side) << ", " << count << " tabs");
            QtTabSet set;
            set.SetSide(side);
            set.resize(640, 480);
            AddTabs(set, count);
            set.show();
            QCoreApplication::processEvents();
            if (count == 1) minimumWithOne = set.minimumSizeHint();
            EXPECT_EQ(set.minimumSizeHint(), minimumWithOne);
            EXPECT_EQ(set.RowCount() > 1, count > 1);
            const QRect page = set.CurrentPage()->parentWidget()->geometry();
            EXPECT_FALSE(page.isEmpty());
            for (int i = 0; i < count; ++i) {
                const QRect r = set.TabRect(i);
                EXPECT_FALSE(r.isEmpty()) << i;
                EXPECT_TRUE(set.rect().contains(r)) << i;
                EXPECT_FALSE(r.intersects(page)) << i;
                for (int j = 0; j < i; ++j) EXPECT_FALSE(r.intersects(set.TabRect(j))) << j << " " << i;
            }
            // A click on a tab of the last row enters it.
            QSignalSpy changed(&set, &QtTabSet::currentChanged);
            QTest::mouseClick(&set, Qt::LeftButton, Qt::NoModifier, set.TabRect(count - 1).center());
            EXPECT_EQ(set.CurrentIndex(), count - 1);
            EXPECT_EQ(changed.count(), count > 1 ? 1 : 0);
        }
    }
}

TEST(TabSetTest, OneRowScrollsWithItsButtonsAndRemovingTheCurrentTabEntersItsNeighbour) {
    QtTabSet set;
    set.SetMultiLine(false);
    set.resize(640, 480);
    AddTabs(set, 40);
    set.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(set.RowCount(), 1);
    ASSERT_TRUE(set.ScrollButton(true)->isVisible());
    EXPECT_FALSE(set.ScrollButton(false)->isEnabled());

    set.SetCurrentIndex(39);
    EXPECT_TRUE(set.rect().contains(set.TabRect(39)));
    EXPECT_TRUE(set.TabRect(0).isEmpty());
    EXPECT_FALSE(set.TabRect(39).intersects(set.ScrollButton(false)->geometry()));
    int first = 0;
    while (set.TabRect(first).isEmpty()) ++first;
    QTest::mouseClick(set.ScrollButton(false), Qt::LeftButton);
    EXPECT_FALSE(set.TabRect(first - 1).isEmpty());
    EXPECT_EQ(set.CurrentIndex(), 39);  // scrolling does not change tabs

    // Removing the current tab enters the one after it, or before it at the end.
    set.SetCurrentIndex(10);
    QWidget* eleventh = set.Page(11);
    std::unique_ptr<QWidget> removed(set.Page(10));
    set.RemoveTab(10);
    EXPECT_EQ(set.CurrentPage(), eleventh);
    set.SetCurrentIndex(set.Count() - 1);
    QWidget* before = set.Page(set.Count() - 2);
    std::unique_ptr<QWidget> last(set.Page(set.Count() - 1));
    set.RemoveTab(set.Count() - 1);
    EXPECT_EQ(set.CurrentPage(), before);
}

}  // namespace
}  // namespace velmok::widgets
