#pragma once
// The dispatcher's handlers: one small function per command or numeric it
// knows, found through one table. Each works on the line being dispatched and
// may change what is shown for it, or stop it.
#include <string>

#include "session/Engine.h"

namespace velmok::session {

// How a line is shown: category font, tab-mark switch, keyword switch.
struct Presentation {
    FontKind font;
    bool markTab;
    bool keywords;
};

// One server line on its way through the dispatcher.
struct Line {
    Engine& engine;
    int slot;
    const IrcMessage& m;
    std::string text;    // what is shown, still in wire form
    std::string target;  // the window's name; an unknown one means the server window
    Presentation show;
    bool toMe;  // a private message to the own nick

    SlotState& State() { return engine.Slot(slot); }
    ServerSession& Session() { return engine.Session(slot); }
    const config::Settings& Config() const { return engine.Config(); }
    Frontend& Ui() { return engine.Ui(); }
};

// Show: go on with the line as usual. Stop: the line ends here.
// ShowAsIs (first-stage handlers only): show it as the handler set it, without
// the warning and Error category of replies from 401 on.
enum class Outcome { Show, Stop, ShowAsIs };

// When a handler runs: First before anything else (the negotiation with the
// server, which replies from 401 on may belong to), Numeric before the event
// triggers see the line (numerics, PING and PONG), Command after them.
enum class Stage { First, Numeric, Command };

struct LineHandlers {
    using Handler = Outcome (*)(Line&);
    struct Entry {
        Handler handler;
        Stage stage;
    };
    // The entry for a command or numeric as received, or null.
    static const Entry* Find(const std::string& command);

    // The negotiation with the server: capabilities, the login, what it
    // does not know.
    static Outcome Cap(Line& line);
    static Outcome Authenticate(Line& line);
    static Outcome SaslInformation(Line& line);  // 900 901
    static Outcome SaslSuccess(Line& line);      // 903 907
    static Outcome SaslFailure(Line& line);      // 902 904 905 906
    static Outcome SaslMechanisms(Line& line);   // 908
    static Outcome UnknownCommand(Line& line);   // 421 451

    // Numerics.
    static Outcome Welcome(Line& line);       // 001
    static Outcome Isupport(Line& line);      // 005
    static Outcome Unaway(Line& line);        // 305
    static Outcome NowAway(Line& line);       // 306
    static Outcome EndOfWho(Line& line);      // 315
    static Outcome WhoReply(Line& line);      // 352
    static Outcome Whois(Line& line);         // 301 311 312 313 317 319
    static Outcome EndOfWhois(Line& line);    // 318
    static Outcome EndOfWhowas(Line& line);   // 369
    static Outcome ListEntry(Line& line);     // 322
    static Outcome ListEnd(Line& line);       // 323
    static Outcome Names(Line& line);         // 353
    static Outcome EndOfNames(Line& line);    // 366
    static Outcome BanEntry(Line& line);      // 367
    static Outcome BanEnd(Line& line);        // 368
    static Outcome ChannelModes(Line& line);  // 324
    static Outcome Topic(Line& line);         // 332
    static Outcome NoSuchNick(Line& line);    // 401
    static Outcome NickInUse(Line& line);     // 433 437
    static Outcome BadKey(Line& line);        // 475

    // Commands.
    static Outcome Ping(Line& line);
    static Outcome Pong(Line& line);
    static Outcome Join(Line& line);
    static Outcome Part(Line& line);
    static Outcome Kick(Line& line);
    static Outcome Mode(Line& line);
    static Outcome Nick(Line& line);
    static Outcome Quit(Line& line);
    static Outcome TopicChange(Line& line);
    static Outcome Invite(Line& line);
    static Outcome Away(Line& line);     // away-notify
    static Outcome Message(Line& line);  // PRIVMSG, NOTICE
};

}  // namespace velmok::session
