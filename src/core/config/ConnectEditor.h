// What the connection editor decides: its lists, selection, button states and the
// profile text it hands back. The dialog shows this state and forwards events.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "config/Encoding.h"
#include "config/Profiles.h"
#include "config/Sasl.h"

namespace velmok::config {

class ConnectEditor {
public:
    // Which button should take the keyboard focus after a move.
    enum class Focus { None, ChannelUp, ChannelDown, ProfileUp, ProfileDown };

    struct Buttons {
        bool ChannelAdd = false;
        bool ChannelDelete = false;
        bool ChannelUp = false;
        bool ChannelDown = false;
        bool ProfileAdd = true;
        bool ProfileUpdate = false;
        bool ProfileDelete = false;
        bool ProfileUp = false;
        bool ProfileDown = false;
        bool operator==(const Buttons&) const = default;
    };

    // Columns of a visible profile row: Host, Port, Nick, Nick(Away), User, Real Name.
    static constexpr int kRowColumns = 6;
    using Row = std::array<std::string, kRowColumns>;

    static constexpr int kKeyColumnWide = 69;
    static constexpr int kKeyColumnNarrow = 53;

    // Asked before a profile is replaced or removed; true means Yes.
    using Confirm = std::function<bool()>;
    // The two questions, in Shift-JIS.
    static constexpr const char* kUpdateQuestion = texts::AskUpdate;
    static constexpr const char* kDeleteQuestion = texts::AskDelete;

    // sasl, encodings: the logins and wire encodings kept in velmok.ini, one
    // per profile (host and port).
    explicit ConnectEditor(const std::string& profileText, const SaslStore& sasl = SaslStore(),
                           const EncodingStore& encodings = EncodingStore());

    // ---- edit fields (Host, Port, Password, Nick, Away nick, User, Real name) ----
    std::array<std::string, ProfileCheckedFieldCount> Fields;
    // The "TLS" tick box: the port is stored with a leading "+". The port field
    // itself shows the number without it.
    bool Tls = false;
    // The login of the profile in the fields: none, PLAIN (user name and
    // password) or EXTERNAL (a client certificate file, UTF-8 as the file system names it).
    SaslChoice Sasl;
    // What the profile's server reads: ISO-2022-JP or UTF-8.
    WireEncoding Encoding = WireEncoding::Iso2022Jp;
    // The channel edits; call ChannelTextChanged after changing them.
    std::string ChannelEdit;
    std::string KeyEdit;

    // ---- channels -------------------------------------------------------------
    void ChannelTextChanged();
    // 0 when the channel was appended, else the message number to show.
    int AddChannel();
    // row -1: the click left no row selected.
    void SelectChannel(int row);
    void SetChannelTicked(int row, bool ticked);
    void DeleteChannel();
    void ChannelUp();
    void ChannelDown();

    // ---- profiles -------------------------------------------------------------
    // row -1: the click left no row selected.
    void SelectProfile(int row);
    // 0 when the profile was appended and selected, else the message number.
    int AddProfile();
    // Check, then ask; 0 also when the user answered No. Non-zero: message to show.
    int UpdateProfile(const Confirm& confirm);
    void DeleteProfile(const Confirm& confirm);
    void ProfileUp();
    void ProfileDown();

    // The profile text of the rows in their current order (OK).
    std::string ProfileText() const;
    // The rows' logins and encodings into the stores (OK): the entries of the
    // profiles the editor opened with are replaced by those of the rows it
    // closes with.
    void ApplySasl(SaslStore& store) const;
    void ApplyEncodings(EncodingStore& store) const;

    // ---- state the dialog shows -----------------------------------------------
    const std::vector<ConnectionProfile>& Profiles() const { return profiles_; }
    static Row RowOf(const ConnectionProfile& profile);
    int SelectedProfile() const { return selectedProfile_; }
    const std::vector<AutoJoinChannel>& Channels() const { return channels_; }
    int SelectedChannel() const { return selectedChannel_; }
    const Buttons& ButtonState() const { return buttons_; }
    int KeyColumnWidth() const { return keyColumnWidth_; }
    // The focus request of the last move; cleared by reading it.
    Focus TakeFocus();

private:
    void BeforeChannelChange();
    void EnableChannelMoves();
    void EnableProfileMoves();
    void LoadProfile(int row);
    ConnectionProfile ProfileFromFields() const;
    void MoveChannel(int from, int to);
    void MoveProfile(int from, int to);

    std::vector<ConnectionProfile> profiles_;
    // What velmok.ini keeps for a profile beside "Connections".
    struct Options {
        SaslChoice Sasl;
        WireEncoding Encoding = WireEncoding::Iso2022Jp;
    };
    std::vector<Options> options_;  // beside profiles_, row for row
    std::vector<ConnectionProfile> opened_;
    std::vector<AutoJoinChannel> channels_;
    int selectedProfile_ = -1;
    int selectedChannel_ = -1;
    Buttons buttons_;
    int keyColumnWidth_ = kKeyColumnWide;
    Focus focus_ = Focus::None;
};

}  // namespace velmok::config
