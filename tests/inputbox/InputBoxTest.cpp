#include <gtest/gtest.h>

#include "inputbox/InputBox.h"
#include "session/SessionFixture.h"

namespace velmok::inputbox {
namespace {

class InputBoxTest : public session::SessionFixture {
protected:
    InputBoxState Box(int kind, int emptyMessage) {
        InputBoxState s;
        s.Kind = kind;
        s.Slot = 0;
        s.EmptyMessage = emptyMessage;
        return s;
    }
    InputBoxFields Typed(const std::string& first, const std::string& key = "") {
        InputBoxFields f;
        f.edit1 = first;
        f.key = key;
        return f;
    }
};

TEST_F(InputBoxTest, JoinSendsTheNameAsTypedAndKeepsTheBlankOfAnEmptyKey) {
    InputBoxState box = Box(1, 10);
    EXPECT_EQ(InputBoxOk(engine, box, Typed("!abc")), 0);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "JOIN !abc \r\n2:");
}

TEST_F(InputBoxTest, BlankInChannelRefusesOnceThenSucceeds) {
    InputBoxState box = Box(1, 10);
    EXPECT_EQ(InputBoxOk(engine, box, Typed("#a b")), 24);
    EXPECT_TRUE(engine.Slot(0).SendQueueA.empty());
    EXPECT_FALSE(InputBoxMayClose(box));  // the close after the failed check is refused
    EXPECT_TRUE(InputBoxMayClose(box));
    EXPECT_EQ(InputBoxOk(engine, box, Typed("#ab", "k")), 0);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "JOIN #ab k\r\n2:");
    EXPECT_TRUE(InputBoxMayClose(box));
}

TEST_F(InputBoxTest, EmptyFirstFieldShowsTheBoxMessage) {
    InputBoxState nick = Box(3, 13);
    EXPECT_EQ(InputBoxOk(engine, nick, Typed("")), 13);
    InputBoxState away = Box(4, -1);
    EXPECT_EQ(InputBoxOk(engine, away, Typed("")), 0);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "AWAY :\r\n2:");
}

TEST_F(InputBoxTest, PartSendsTheWireNameOfTheChosenEntry) {
    InputBoxState box = Box(2, 10);
    const std::string wire = "#\x1b$B$\"\x1b(B";
    box.AuxText = "#a\r\n" + wire + "\r\n";
    InputBoxFields f;
    f.comboText = "#\x82\xa0 (Shift-JIS is included.)";
    f.comboIndex = 1;
    EXPECT_EQ(InputBoxOk(engine, box, f), 0);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "PART " + wire + "\r\n2:");
}

TEST_F(InputBoxTest, PartAddsTheMessageOnlyWhenSet) {
    InputBoxState box = Box(2, 10);
    InputBoxFields typed;
    typed.comboText = "#x";
    EXPECT_EQ(InputBoxOk(engine, box, typed), 0);
    settings.PartMessage = "bye";
    EXPECT_EQ(InputBoxOk(engine, box, typed), 0);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "PART #x\r\n2:PART #x :bye\r\n2:");
}

TEST_F(InputBoxTest, KeyPromptJoinsTheChannelAsReceived) {
    InputBoxState box = Box(5, 12);
    box.AuxText = "#\x1b$B$\"\x1b(B";
    EXPECT_EQ(InputBoxOk(engine, box, Typed("")), 12);
    EXPECT_EQ(InputBoxOk(engine, box, Typed("secret")), 0);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "JOIN #\x1b$B$\"\x1b(B :secret\r\n2:");
}

TEST_F(InputBoxTest, CallerKindsOnlyCheck) {
    InputBoxState priv = Box(7, 13);
    EXPECT_EQ(InputBoxOk(engine, priv, Typed("9lives")), 22);
    InputBoxState invite = Box(8, 10);
    EXPECT_EQ(InputBoxOk(engine, invite, Typed("#a,b")), 25);
    InputBoxState kick = Box(6, -1);
    EXPECT_EQ(InputBoxOk(engine, kick, Typed("reason")), 0);
    EXPECT_TRUE(engine.Slot(0).SendQueueA.empty());
}

TEST(AutoJoinLine, KeysAndChannelsByPosition) {
    const std::string line = "1 #a  0 #b key2 1 !c k3 ";
    std::string key;
    ASSERT_TRUE(AutoJoinKeyAt(line, 1, key));
    EXPECT_EQ(key, "key2");
    ASSERT_TRUE(AutoJoinKeyAt(line, 0, key));
    EXPECT_EQ(key, "");
    EXPECT_FALSE(AutoJoinKeyAt(line, 3, key));
    EXPECT_EQ(AutoJoinChannels(line), (std::vector<std::string>{"#a", "#b", "!c"}));
}

}  // namespace
}  // namespace velmok::inputbox
