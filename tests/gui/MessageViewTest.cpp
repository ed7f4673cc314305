// The message view as a user meets it: clicks, scrolling, long sessions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "widgets/QtMessageView.h"

namespace velmok::ui {
namespace {

std::shared_ptr<const widgets::QtMessageView::StyleTable> TableOfSize(int points) {
    QTextCharFormat f;
    QFont font = QApplication::font();
    font.setPointSize(points);
    f.setFont(font);
    return std::make_shared<const widgets::QtMessageView::StyleTable>(std::vector<QTextCharFormat>(4, f));
}

class MessageViewTest : public ::testing::Test {
protected:
    widgets::QtMessageView view;
    MessageViewTest() {
        view.resize(700, 120);
        view.SetStyleTable(TableOfSize(10));
    }
    void AppendNumbered(int from, int to) {
        for (int i = from; i < to; ++i) view.AppendLatin1("line " + std::to_string(i), {{0, 6, 0}});
    }
};

TEST_F(MessageViewTest, ClickAnywhereInAUrlOpensAllOfItWhateverMarksSplitIt) {
    // As rendered with the keyword "example": the URL's runs are cut in three.
    const QString line = QStringLiteral("12:34 <bob> http://www.example.org/page now");
    const int url = line.indexOf(QStringLiteral("http"));
    const int keyword = line.indexOf(QStringLiteral("example"));
    view.AppendLine(
        line, {{0, url, 0}, {url, keyword - url, 1}, {keyword, 7, 2}, {keyword + 7, 9, 1}, {url + 27, 4, 0}});
    QStringList opened;
    view.onUrlClicked = [&](const QString& u) { opened << u; };
    view.show();
    QCoreApplication::processEvents();

    // Clicks on the keyword part, then on the URL's tail, of the only (bottom) line.
    const QFontMetrics metrics(view.FormatAt(0, 0).font());
    const int y = view.viewport()->height() - metrics.height() / 2;
    auto clickAt = [&](int character) {
        const int x = 3 + metrics.horizontalAdvance(line.left(character)) + 1;
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    };
    clickAt(keyword + 2);
    clickAt(keyword + 2);  // the same place again opens nothing
    clickAt(keyword + 10);
    clickAt(line.indexOf(QStringLiteral("now")) + 1);
    EXPECT_EQ(opened, (QStringList{QStringLiteral("http://www.example.org/page"),
                                   QStringLiteral("http://www.example.org/page")}));
}

TEST_F(MessageViewTest, KeepsItsNewestLinesAndTheLinesBeingReadStayInView) {
    view.resize(700, 60);  // a page of three lines, so "line 5" can be at the top
    view.SetMaxLines(10);
    AppendNumbered(0, 10);
    view.show();
    QCoreApplication::processEvents();
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(5);  // reading back: "line 5" at the top
    ASSERT_FALSE(view.AtBottom());

    AppendNumbered(10, 13);
    QCoreApplication::processEvents();
    ASSERT_EQ(view.LineCount(), 10);
    EXPECT_EQ(view.LineText(0), QStringLiteral("line 3"));
    EXPECT_EQ(view.LineText(9), QStringLiteral("line 12"));
    EXPECT_EQ(bar->value(), 2);  // still "line 5"
    EXPECT_FALSE(view.AtBottom());

    // A selection reaching into dropped lines keeps what is left of it.
    view.SelectAll();
    AppendNumbered(13, 21);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.SelectedText(), QStringLiteral("line 11\nline 12"));
    EXPECT_EQ(bar->value(), 0);  // "line 5" went; the oldest line kept is on top

    view.SetMaxLines(2);
    EXPECT_EQ(view.PlainText(), QStringLiteral("line 19\nline 20"));
}

TEST_F(MessageViewTest, AViewNeverPaintedKeepsNoMoreThanAFewLayouts) {
    // A tab in the background measures its last page at each pass of the
    // event loop that brought it lines.
    for (int i = 0; i < 2000; i += 10) {
        AppendNumbered(i, i + 10);
        QCoreApplication::processEvents();
    }
    EXPECT_LT(view.CachedLayouts(), 100u);
}

TEST_F(MessageViewTest, WheelAndPageKeysMoveThroughFullPagesAndReadingBackIsNotPulledDown) {
    AppendNumbered(0, 60);
    view.show();
    QCoreApplication::processEvents();
    const int fullPage = view.viewport()->height() / QFontMetrics(view.FormatAt(0, 0).font()).height();
    auto shown = [&] {
        view.viewport()->repaint();
        return view.ShownLines();
    };
    ASSERT_EQ(shown().second, 59);
    // One notch up: slightly older lines, and still a full view.
    const QPointF at(20, 20);
    QWheelEvent notch(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &notch);
    const auto [top, bottom] = shown();
    EXPECT_TRUE(bottom < 59 && bottom >= 55 && bottom - top + 1 >= fullPage) << top << " " << bottom;
    // New lines leave the reader where they are; the scroll bar says there is more.
    AppendNumbered(60, 65);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown().first, top);
    EXPECT_GT(view.verticalScrollBar()->maximum(), view.verticalScrollBar()->value());
    // A page back keeps the old top line in sight; at the bottom again, it follows.
    QTest::keyClick(&view, Qt::Key_PageUp);
    EXPECT_TRUE(shown().second <= top && shown().second - shown().first + 1 >= fullPage);
    for (int i = 0; i < 4; ++i) QTest::keyClick(&view, Qt::Key_PageDown);
    AppendNumbered(65, 70);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown().second, 69);
}

TEST(StyleTable, EachStyleIsItsFontWithTheTogglesAsTheSettingsWereWhenTheTableWasMade) {
    config::Settings settings;
    settings.Font(base::FontKind::Private).Size = 13;
    settings.Font(base::FontKind::Private).Color = 0x123456;
    const widgets::StyleTable table(settings);
    settings.Font(base::FontKind::Private).Color = 0;  // a later change is the next table's
    const QTextCharFormat url =
        table[StyleIndex({base::FontKind::Private, true, false, false, Overlay::URL})];
    EXPECT_TRUE(url.fontUnderline() && url.fontWeight() != QFont::Bold);
    EXPECT_EQ(url.foreground().color(), widgets::ColourOf(16776960));
    const QTextCharFormat both = table[StyleIndex({base::FontKind::Private, true, false, true})];
    EXPECT_TRUE(both.fontWeight() == QFont::Bold && both.fontItalic() && !both.fontUnderline());
    EXPECT_EQ(both.font().pointSize(), 13);
    EXPECT_EQ(both.foreground().color(), widgets::ColourOf(0x123456));
}

}  // namespace
}  // namespace velmok::ui
