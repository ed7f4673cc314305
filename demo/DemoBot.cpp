#include "DemoBot.h"

#include <array>
#include <optional>

#include "session/Codec.h"
#include "session/IrcMessage.h"

namespace velmok::demo {

namespace {

// さん、ようこそ！ Velmok のデモチャンネルへ。何か話しかけてみてください。
const std::string kWelcome =
    "\x82\xb3\x82\xf1\x81\x41\x82\xe6\x82\xa4\x82\xb1\x82\xbb\x81I Velmok "
    "\x82\xcc\x83\x66\x83\x82\x83`"
    "\x83\x83\x83\x93\x83l\x83\x8b\x82\xd6\x81\x42\x89\xbd\x82\xa9\x98\x62\x82\xb5"
    "\x82\xa9\x82\xaf\x82\xc4\x82\xdd\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";
// なるほど、 ... さん。ほかにも聞かせてください。
const std::string kIndeed = "\x82\xc8\x82\xe9\x82\xd9\x82\xc7\x81\x41";
const std::string kTellMore =
    "\x82\xb3\x82\xf1\x81\x42\x82\xd9\x82\xa9\x82\xc9\x82\xe0\x95\xb7\x82\xa9\x82\xb9\x82\xc4\x82\xad\x82\xbe"
    "\x82\xb3\x82\xa2\x81\x42";
// The answers, in turn.
const std::array<std::string, 4> kTips = {
    // 日本語もちゃんと届いていますね。
    "\x93\xfa\x96{"
    "\x8c\xea\x82\xe0\x82\xbf\x82\xe1\x82\xf1\x82\xc6\x93\xcd\x82\xa2\x82\xc4\x82\xa2\x82\xdc\x82"
    "\xb7\x82\xcb\x81\x42",
    // Ctrl+W で総合ウィンドウを出したり隠したりできます。
    "Ctrl+W "
    "\x82\xc5\x91\x8d\x8d\x87\x83\x45\x83\x42\x83\x93\x83h\x83\x45\x82\xf0\x8fo\x82\xb5\x82\xbd\x82\xe8"
    "\x89\x42\x82\xb5\x82\xbd\x82\xe8\x82\xc5\x82\xab\x82\xdc\x82\xb7\x81\x42",
    // メンバーの名前をダブルクリックすると WHOIS で調べられます。
    "\x83\x81\x83\x93\x83o\x81[\x82\xcc\x96\xbc\x91O\x82\xf0\x83_\x83u\x83\x8b\x83N\x83\x8a\x83\x62\x83N\x82"
    "\xb7\x82\xe9\x82\xc6 WHOIS \x82\xc5\x92\xb2\x82\xd7\x82\xe7\x82\xea\x82\xdc\x82\xb7\x81\x42",
    // Ctrl+← と Ctrl+→ でタブを切り替えられます。
    "Ctrl+\x81\xa9 \x82\xc6 Ctrl+\x81\xa8 \x82\xc5\x83^\x83u\x82\xf0\x90\xd8\x82\xe8\x91\xd6\x82\xa6\x82\xe7"
    "\x82\xea\x82\xdc\x82\xb7\x81\x42",
};
// またね！
const std::string kBye = "\x82\xdc\x82\xbd\x82\xcb\x81I";

}  // namespace

std::string DemoBot::Registration() const {
    return std::string("NICK ") + kNick + "\r\nUSER " + kNick + " 0 * :Velmok demo companion\r\nJOIN " +
           session::SjisToJis(kChannelSjis) + "\r\n";
}

std::string DemoBot::Say(const std::string& sjisText) const {
    return "PRIVMSG " + session::SjisToJis(kChannelSjis) + " :" + session::SjisToJis(sjisText) + "\r\n";
}

std::string DemoBot::Quit() const { return "QUIT :" + session::SjisToJis(kBye) + "\r\n"; }

std::vector<std::string> DemoBot::OnLine(const std::string& line, std::vector<std::string>& notes) {
    const std::optional<session::IrcMessage> parsed = session::ParseLine(line, "");
    if (!parsed) return {};
    const std::string& nick = parsed->Nick();
    const std::string& command = parsed->Command();
    if (command == "PING") return {"PONG :" + (*parsed)[2] + "\r\n"};
    if (nick == kNick || nick.empty()) return {};
    const std::string channel = session::JisToSjis((*parsed)[2]);
    if (command == "JOIN" && channel == kChannelSjis) {
        notes.push_back(nick + " joined the demo channel");
        return {Say(nick + kWelcome)};
    }
    if (command == "PRIVMSG" && channel == kChannelSjis) {
        // Every other line gets an answer, so the conversation is not all bot.
        if (heard_++ % 2 != 0) return {};
        notes.push_back("answered " + nick);
        const std::string& tip = kTips[static_cast<std::size_t>(heard_ / 2) % kTips.size()];
        return {Say(kIndeed + nick + kTellMore), Say(tip)};
    }
    return {};
}

}  // namespace velmok::demo
