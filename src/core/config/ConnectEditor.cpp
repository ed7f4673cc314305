#include "config/ConnectEditor.h"

#include <utility>

#include "base/Common.h"

namespace velmok::config {

namespace {

// A line break inside a field would split it into two lines of "Connections"
// and shift every field after it, so edits never carry one into a profile.
std::string WithoutLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\r' && c != '\n') out += c;
    }
    return out;
}

bool ValidRow(int row, std::size_t size) { return row >= 0 && static_cast<std::size_t>(row) < size; }

}  // namespace

ConnectEditor::ConnectEditor(const std::string& profileText, const SaslStore& sasl,
                             const EncodingStore& encodings)
    : profiles_(ParseProfileText(profileText)), opened_(profiles_) {
    for (const ConnectionProfile& p : profiles_)
        options_.push_back({sasl.Get(p.Host, p.Port), encodings.Get(p.Host, p.Port)});
}

ConnectEditor::Focus ConnectEditor::TakeFocus() { return std::exchange(focus_, Focus::None); }

ConnectEditor::Row ConnectEditor::RowOf(const ConnectionProfile& p) {
    // The password stays out of the visible list.
    return Row{p.Host, p.Port, p.Nick, p.AwayNick, p.UserName, p.RealName};
}

// ---- channels -----------------------------------------------------------------

void ConnectEditor::BeforeChannelChange() {
    // Narrower key column once a scroll bar takes room beside it.
    keyColumnWidth_ = channels_.size() > 3 ? kKeyColumnNarrow : kKeyColumnWide;
}

void ConnectEditor::EnableChannelMoves() {
    const bool selected = ValidRow(selectedChannel_, channels_.size());
    buttons_.ChannelDelete = selected;
    buttons_.ChannelUp = selected && selectedChannel_ > 0;
    buttons_.ChannelDown = selected && static_cast<std::size_t>(selectedChannel_) + 1 < channels_.size();
}

void ConnectEditor::ChannelTextChanged() { buttons_.ChannelAdd = !ChannelEdit.empty(); }

int ConnectEditor::AddChannel() {
    const std::string name = WithoutLineBreaks(ChannelEdit);
    const std::string key = WithoutLineBreaks(KeyEdit);
    // An empty name would make an auto-join line that fails its check on the next start.
    if (name.empty()) return 10;
    if (int result = base::ChannelCheck(name); result != 0) return result;
    for (const AutoJoinChannel& c : channels_) {
        if (c.Name == name) return 34;
    }
    if (key.find(' ') != std::string::npos) return 27;
    BeforeChannelChange();
    // A channel added to the list is one to join; unticking it keeps it for later.
    channels_.push_back(AutoJoinChannel{true, name, key});
    EnableChannelMoves();
    return 0;
}

void ConnectEditor::SelectChannel(int row) {
    selectedChannel_ = ValidRow(row, channels_.size()) ? row : -1;
    EnableChannelMoves();
}

void ConnectEditor::SetChannelTicked(int row, bool ticked) {
    if (ValidRow(row, channels_.size())) channels_[row].Ticked = ticked;
}

void ConnectEditor::DeleteChannel() {
    if (!ValidRow(selectedChannel_, channels_.size())) return;
    BeforeChannelChange();
    channels_.erase(channels_.begin() + selectedChannel_);
    selectedChannel_ = -1;
    EnableChannelMoves();
}

void ConnectEditor::MoveChannel(int from, int to) {
    BeforeChannelChange();
    std::swap(channels_[from], channels_[to]);
    selectedChannel_ = to;
    EnableChannelMoves();
}

void ConnectEditor::ChannelUp() {
    if (!ValidRow(selectedChannel_, channels_.size()) || selectedChannel_ == 0) return;
    MoveChannel(selectedChannel_, selectedChannel_ - 1);
    if (selectedChannel_ == 0) focus_ = Focus::ChannelDown;
}

void ConnectEditor::ChannelDown() {
    if (!ValidRow(selectedChannel_ + 1, channels_.size()) || selectedChannel_ < 0) return;
    MoveChannel(selectedChannel_, selectedChannel_ + 1);
    if (static_cast<std::size_t>(selectedChannel_) + 1 == channels_.size()) focus_ = Focus::ChannelUp;
}

// ---- profiles -----------------------------------------------------------------

void ConnectEditor::EnableProfileMoves() {
    const bool selected = ValidRow(selectedProfile_, profiles_.size());
    buttons_.ProfileUpdate = selected;
    buttons_.ProfileDelete = selected;
    buttons_.ProfileUp = selected && selectedProfile_ > 0;
    buttons_.ProfileDown = selected && static_cast<std::size_t>(selectedProfile_) + 1 < profiles_.size();
}

void ConnectEditor::LoadProfile(int row) {
    const ConnectionProfile& p = profiles_[row];
    Fields = {p.Host, p.Port, p.Password, p.Nick, p.AwayNick, p.UserName, p.RealName};
    Tls = PortUsesTls(p.Port);
    if (Tls) Fields[FieldPort].erase(0, 1);
    Sasl = options_[row].Sasl;
    Encoding = options_[row].Encoding;
    BeforeChannelChange();
    channels_.clear();
    for (AutoJoinChannel& c : ReadAutoJoin(p.AutoJoin)) {
        BeforeChannelChange();
        channels_.push_back(std::move(c));
    }
    // The rebuilt list has no selected row, so nothing can be moved or deleted yet.
    selectedChannel_ = -1;
    EnableChannelMoves();
}

void ConnectEditor::SelectProfile(int row) {
    selectedProfile_ = ValidRow(row, profiles_.size()) ? row : -1;
    EnableProfileMoves();
    if (selectedProfile_ >= 0) LoadProfile(selectedProfile_);
}

ConnectionProfile ConnectEditor::ProfileFromFields() const {
    ConnectionProfile p;
    p.Host = Fields[FieldHost];
    p.Port = PortWithTls(Fields[FieldPort], Tls);
    p.Password = WithoutLineBreaks(Fields[FieldPassword]);
    p.Nick = Fields[FieldNick];
    p.AwayNick = Fields[FieldAwayNick];
    p.UserName = Fields[FieldUserName];
    p.RealName = WithoutLineBreaks(Fields[FieldRealName]);
    p.AutoJoin = BuildAutoJoin(channels_);
    return p;
}

int ConnectEditor::AddProfile() {
    ConnectionProfile p = ProfileFromFields();
    if (int result = ProfileCheck(CheckedFields(p)); result != 0) return result;
    profiles_.push_back(std::move(p));
    options_.push_back({Sasl, Encoding});
    SelectProfile(static_cast<int>(profiles_.size()) - 1);
    return 0;
}

int ConnectEditor::UpdateProfile(const Confirm& confirm) {
    if (!ValidRow(selectedProfile_, profiles_.size())) return 0;
    ConnectionProfile p = ProfileFromFields();
    if (int result = ProfileCheck(CheckedFields(p)); result != 0) return result;
    if (!confirm()) return 0;
    profiles_[selectedProfile_] = std::move(p);
    options_[selectedProfile_] = {Sasl, Encoding};
    return 0;
}

void ConnectEditor::DeleteProfile(const Confirm& confirm) {
    if (!ValidRow(selectedProfile_, profiles_.size())) return;
    if (!confirm()) return;
    profiles_.erase(profiles_.begin() + selectedProfile_);
    options_.erase(options_.begin() + selectedProfile_);
    selectedProfile_ = -1;
    EnableProfileMoves();
}

void ConnectEditor::MoveProfile(int from, int to) {
    // The row keeps its selection; the fields are not reloaded, so edits in
    // progress survive a move.
    std::swap(profiles_[from], profiles_[to]);
    std::swap(options_[from], options_[to]);
    selectedProfile_ = to;
    EnableProfileMoves();
}

void ConnectEditor::ProfileUp() {
    if (!ValidRow(selectedProfile_, profiles_.size()) || selectedProfile_ == 0) return;
    MoveProfile(selectedProfile_, selectedProfile_ - 1);
    if (selectedProfile_ == 0) focus_ = Focus::ProfileDown;
}

void ConnectEditor::ProfileDown() {
    if (selectedProfile_ < 0 || !ValidRow(selectedProfile_ + 1, profiles_.size())) return;
    MoveProfile(selectedProfile_, selectedProfile_ + 1);
    if (static_cast<std::size_t>(selectedProfile_) + 1 == profiles_.size()) focus_ = Focus::ProfileUp;
}

std::string ConnectEditor::ProfileText() const { return BuildProfileText(profiles_); }

void ConnectEditor::ApplySasl(SaslStore& store) const {
    for (const ConnectionProfile& p : opened_) store.Set(p.Host, p.Port, {});
    // Two rows for one host and port share a key; the first row's login wins.
    for (std::size_t i = profiles_.size(); i-- > 0;)
        store.Set(profiles_[i].Host, profiles_[i].Port, options_[i].Sasl);
}

void ConnectEditor::ApplyEncodings(EncodingStore& store) const {
    for (const ConnectionProfile& p : opened_) store.Set(p.Host, p.Port, WireEncoding::Iso2022Jp);
    for (std::size_t i = profiles_.size(); i-- > 0;)
        store.Set(profiles_[i].Host, profiles_[i].Port, options_[i].Encoding);
}

}  // namespace velmok::config
