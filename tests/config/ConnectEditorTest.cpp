#include <gtest/gtest.h>

#include "config/ConnectEditor.h"

namespace velmok::config {

namespace {

const std::string kTwoProfiles =
    "a.net\r\n6667\r\nsecret\r\nn1\r\naway1\r\nu1\r\nReal 1\r\n1 #a  0 #b key \r\n"
    "b.net\r\n7000\r\n\r\nn2\r\n\r\nu2\r\nReal 2\r\n\r\n";

const std::string kThreeProfiles = kTwoProfiles + "c.net\r\n1\r\n\r\nn3\r\n\r\nu3\r\nr3\r\n\r\n";

void FillGood(ConnectEditor& e) { e.Fields = {"new.net", "6669", "pw", "nick", "", "user", "Real"}; }

int Add(ConnectEditor& e, const std::string& name, const std::string& key = "") {
    e.ChannelEdit = name;
    e.KeyEdit = key;
    e.ChannelTextChanged();
    return e.AddChannel();
}

const auto kYes = [] { return true; };
const auto kNo = [] { return false; };

}  // namespace

TEST(ConnectEditor, OpensWithTheProfilesAndOnlyAddEnabled) {
    ConnectEditor e(kTwoProfiles);
    ASSERT_EQ(e.Profiles().size(), 2u);
    EXPECT_EQ(ConnectEditor::RowOf(e.Profiles()[0]),
              (ConnectEditor::Row{"a.net", "6667", "n1", "away1", "u1", "Real 1"}));
    EXPECT_EQ(e.SelectedProfile(), -1);
    EXPECT_EQ(e.ButtonState(), ConnectEditor::Buttons{});
    EXPECT_TRUE(e.ButtonState().ProfileAdd);
    // Nothing changed: OK gives the same text back.
    EXPECT_EQ(e.ProfileText(), kTwoProfiles);
}

TEST(ConnectEditor, SelectingAProfileLoadsFieldsAndChannels) {
    ConnectEditor e(kTwoProfiles);
    e.SelectProfile(0);
    EXPECT_EQ(e.Fields[FieldPassword], "secret");
    EXPECT_EQ(e.Fields[FieldAwayNick], "away1");
    ASSERT_EQ(e.Channels().size(), 2u);
    EXPECT_EQ(e.Channels()[1], (AutoJoinChannel{false, "#b", "key"}));
    auto b = e.ButtonState();
    EXPECT_FALSE(b.ProfileUp);
    EXPECT_TRUE(b.ProfileDown && b.ProfileUpdate && b.ProfileDelete);

    e.SelectProfile(1);
    EXPECT_TRUE(e.Channels().empty());
    b = e.ButtonState();
    EXPECT_TRUE(b.ProfileUp);
    EXPECT_FALSE(b.ProfileDown);

    // A click that leaves no row selected keeps the fields but disables the row buttons.
    e.SelectProfile(-1);
    b = e.ButtonState();
    EXPECT_FALSE(b.ProfileUp || b.ProfileDown || b.ProfileUpdate || b.ProfileDelete);
    EXPECT_EQ(e.Fields[FieldHost], "b.net");
}

TEST(ConnectEditor, ChannelAddButtonFollowsTheChannelEdit) {
    ConnectEditor e("");
    e.KeyEdit = "k";
    e.ChannelTextChanged();
    EXPECT_FALSE(e.ButtonState().ChannelAdd);
    e.ChannelEdit = "#a";
    e.ChannelTextChanged();
    EXPECT_TRUE(e.ButtonState().ChannelAdd);
}

TEST(ConnectEditor, ChannelAddChecksNameDuplicateAndKey) {
    ConnectEditor e("");
    EXPECT_EQ(Add(e, "#a"), 0);
    EXPECT_EQ(Add(e, "#a"), 34);
    EXPECT_EQ(Add(e, "#A"), 0);  // duplicates compare case-sensitively
    EXPECT_EQ(Add(e, "#b", "a key"), 27);
    EXPECT_EQ(Add(e, "#a,#b"), 25);
    EXPECT_EQ(Add(e, "#a b"), 24);
    EXPECT_EQ(Add(e, "#a\x07"), 26);
    // The name is checked before the duplicate, the duplicate before the key.
    EXPECT_EQ(Add(e, "#a", "x y"), 34);
    ASSERT_EQ(e.Channels().size(), 2u);
    EXPECT_EQ(e.Channels()[0], (AutoJoinChannel{true, "#a", ""})) << "an added channel starts ticked";
    EXPECT_EQ(Add(e, "#k", "key"), 0);
    EXPECT_EQ(e.Channels()[2].Key, "key");
}

TEST(ConnectEditor, ChannelSelectionMovesAndDelete) {
    ConnectEditor e("");
    Add(e, "#1");
    Add(e, "#2");
    Add(e, "#3");
    e.SelectChannel(1);
    auto b = e.ButtonState();
    EXPECT_TRUE(b.ChannelUp && b.ChannelDown && b.ChannelDelete);

    e.ChannelUp();
    EXPECT_EQ(e.Channels()[0].Name, "#2");
    EXPECT_EQ(e.SelectedChannel(), 0);
    EXPECT_FALSE(e.ButtonState().ChannelUp);
    EXPECT_TRUE(e.ButtonState().ChannelDown);
    EXPECT_EQ(e.TakeFocus(), ConnectEditor::Focus::ChannelDown);
    EXPECT_EQ(e.TakeFocus(), ConnectEditor::Focus::None);

    e.ChannelDown();
    e.ChannelDown();
    EXPECT_EQ(e.Channels()[2].Name, "#2");
    EXPECT_FALSE(e.ButtonState().ChannelDown);
    EXPECT_EQ(e.TakeFocus(), ConnectEditor::Focus::ChannelUp);

    e.SelectChannel(-1);
    b = e.ButtonState();
    EXPECT_FALSE(b.ChannelUp || b.ChannelDown || b.ChannelDelete);

    e.SelectChannel(0);
    e.DeleteChannel();
    ASSERT_EQ(e.Channels().size(), 2u);
    EXPECT_EQ(e.Channels()[0].Name, "#3");
    b = e.ButtonState();
    EXPECT_FALSE(b.ChannelUp || b.ChannelDown || b.ChannelDelete);
}

TEST(ConnectEditor, TicksMoveWithTheirRows) {
    ConnectEditor e("");
    Add(e, "#1");
    Add(e, "#2");
    e.SetChannelTicked(1, true);
    e.SelectChannel(1);
    e.ChannelUp();
    EXPECT_EQ(e.Channels()[0], (AutoJoinChannel{true, "#2", ""}));
}

TEST(ConnectEditor, KeyColumnNarrowsOnceTheListIsLong) {
    ConnectEditor e("");
    for (const char* name : {"#1", "#2", "#3", "#4"}) Add(e, name);
    // Judged before each change: four rows were made while three or fewer existed.
    EXPECT_EQ(e.KeyColumnWidth(), ConnectEditor::kKeyColumnWide);
    Add(e, "#5");
    EXPECT_EQ(e.KeyColumnWidth(), ConnectEditor::kKeyColumnNarrow);
    for (int i = 0; i < 2; ++i) {
        e.SelectChannel(0);
        e.DeleteChannel();
    }
    EXPECT_EQ(e.KeyColumnWidth(), ConnectEditor::kKeyColumnNarrow);  // four rows before this delete
    e.SelectChannel(0);
    e.DeleteChannel();
    EXPECT_EQ(e.KeyColumnWidth(), ConnectEditor::kKeyColumnWide);
}

TEST(ConnectEditor, AddProfileStoresTheChannelLineAndSelectsTheNewRow) {
    ConnectEditor e(kTwoProfiles);
    FillGood(e);
    Add(e, "#a");
    e.SetChannelTicked(0, true);
    ASSERT_EQ(e.AddProfile(), 0);
    ASSERT_EQ(e.Profiles().size(), 3u);
    EXPECT_EQ(e.Profiles()[2].AutoJoin, "1 #a  ");  // six characters
    EXPECT_EQ(e.Profiles()[2].Password, "pw");
    EXPECT_EQ(e.SelectedProfile(), 2);
    EXPECT_TRUE(e.ButtonState().ProfileUp);
    EXPECT_FALSE(e.ButtonState().ProfileDown);
    EXPECT_EQ(e.Channels().size(), 1u);  // loaded back from the new row
    EXPECT_EQ(e.ProfileText(),
              kTwoProfiles + "new.net\r\n6669\r\npw\r\nnick\r\n\r\nuser\r\nReal\r\n1 #a  \r\n");
}

TEST(ConnectEditor, FailedAddChangesNothing) {
    ConnectEditor e(kTwoProfiles);
    FillGood(e);
    e.Fields[FieldNick] = "Anonymous";
    EXPECT_EQ(e.AddProfile(), 21);
    e.Fields[FieldNick] = "1abc";
    EXPECT_EQ(e.AddProfile(), 22);
    e.Fields[FieldNick] = "a.b";
    EXPECT_EQ(e.AddProfile(), 23);
    e.Fields[FieldNick] = "nick";
    e.Fields[FieldAwayNick] = "a b";
    EXPECT_EQ(e.AddProfile(), 19);
    e.Fields[FieldAwayNick] = "";
    e.Fields[FieldPort] = "port";
    EXPECT_EQ(e.AddProfile(), 16);
    EXPECT_EQ(e.Profiles().size(), 2u);
    EXPECT_EQ(e.SelectedProfile(), -1);
    EXPECT_EQ(e.Fields[FieldPort], "port");
}

TEST(ConnectEditor, LineBreaksNeverReachTheProfileText) {
    ConnectEditor e("");
    FillGood(e);
    e.Fields[FieldPassword] = "p\r\nw";
    e.Fields[FieldRealName] = "Real\nName";
    Add(e, "#a\r\n", "k\n");
    ASSERT_EQ(e.AddProfile(), 0);
    const auto reread = ParseProfileText(e.ProfileText());
    ASSERT_EQ(reread.size(), 1u);
    EXPECT_EQ(reread[0].Password, "pw");
    EXPECT_EQ(reread[0].RealName, "RealName");
    EXPECT_EQ(reread[0].AutoJoin, "1 #a k ");
    // A name that is nothing but a line break is an empty name.
    EXPECT_EQ(Add(e, "\n"), 10);
}

TEST(ConnectEditor, UpdateAsksAndReplacesOnlyOnYes) {
    ConnectEditor e(kTwoProfiles);
    e.SelectProfile(1);
    e.Fields[FieldNick] = "changed";
    Add(e, "#new", "k");
    int asked = 0;
    EXPECT_EQ(e.UpdateProfile([&] {
        ++asked;
        return false;
    }),
              0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(e.ProfileText(), kTwoProfiles);

    EXPECT_EQ(e.UpdateProfile(kYes), 0);
    EXPECT_EQ(e.Profiles()[1].Nick, "changed");
    EXPECT_EQ(e.Profiles()[1].AutoJoin, "1 #new k ");
    EXPECT_EQ(e.Profiles()[0].Nick, "n1");
    EXPECT_EQ(e.SelectedProfile(), 1);
}

TEST(ConnectEditor, UpdateChecksBeforeAsking) {
    ConnectEditor e(kTwoProfiles);
    e.SelectProfile(0);
    e.Fields[FieldHost] = "";
    bool asked = false;
    EXPECT_EQ(e.UpdateProfile([&] {
        asked = true;
        return true;
    }),
              6);
    EXPECT_FALSE(asked);
    EXPECT_EQ(e.ProfileText(), kTwoProfiles);
}

TEST(ConnectEditor, DeleteAsksThenDisablesTheRowButtons) {
    ConnectEditor e(kTwoProfiles);
    e.SelectProfile(0);
    e.DeleteProfile(kNo);
    EXPECT_EQ(e.Profiles().size(), 2u);
    EXPECT_TRUE(e.ButtonState().ProfileDelete);

    e.DeleteProfile(kYes);
    ASSERT_EQ(e.Profiles().size(), 1u);
    EXPECT_EQ(e.Profiles()[0].Host, "b.net");
    EXPECT_EQ(e.SelectedProfile(), -1);
    const auto b = e.ButtonState();
    EXPECT_FALSE(b.ProfileUp || b.ProfileDown || b.ProfileUpdate || b.ProfileDelete);
    EXPECT_TRUE(b.ProfileAdd);
}

TEST(ConnectEditor, ProfileMovesCarryTheWholeProfileAndMoveTheFocus) {
    ConnectEditor e(kThreeProfiles);
    e.SelectProfile(1);
    e.Fields[FieldNick] = "typing";  // edits survive a move
    e.ProfileUp();
    EXPECT_EQ(e.Profiles()[0].Host, "b.net");
    EXPECT_EQ(e.Profiles()[1].Password, "secret");
    EXPECT_EQ(e.Profiles()[1].AutoJoin, "1 #a  0 #b key ");
    EXPECT_EQ(e.SelectedProfile(), 0);
    EXPECT_FALSE(e.ButtonState().ProfileUp);
    EXPECT_TRUE(e.ButtonState().ProfileDown);
    EXPECT_EQ(e.TakeFocus(), ConnectEditor::Focus::ProfileDown);
    EXPECT_EQ(e.Fields[FieldNick], "typing");

    e.ProfileDown();
    EXPECT_EQ(e.TakeFocus(), ConnectEditor::Focus::None);  // row 1 of 3 is not the last
    EXPECT_TRUE(e.ButtonState().ProfileUp && e.ButtonState().ProfileDown);
    e.ProfileDown();
    EXPECT_EQ(e.Profiles()[2].Host, "b.net");
    EXPECT_FALSE(e.ButtonState().ProfileDown);
    EXPECT_EQ(e.TakeFocus(), ConnectEditor::Focus::ProfileUp);
    EXPECT_EQ(e.ProfileText(),
              "a.net\r\n6667\r\nsecret\r\nn1\r\naway1\r\nu1\r\nReal 1\r\n1 #a  0 #b key \r\n"
              "c.net\r\n1\r\n\r\nn3\r\n\r\nu3\r\nr3\r\n\r\n"
              "b.net\r\n7000\r\n\r\nn2\r\n\r\nu2\r\nReal 2\r\n\r\n");
}

TEST(ConnectEditor, SelectingAnotherProfileClearsTheChannelSelection) {
    ConnectEditor e(kTwoProfiles);
    e.SelectProfile(0);
    e.SelectChannel(1);
    EXPECT_TRUE(e.ButtonState().ChannelDelete);
    e.SelectProfile(1);
    EXPECT_EQ(e.SelectedChannel(), -1);
    EXPECT_FALSE(e.ButtonState().ChannelDelete);
}

}  // namespace velmok::config
