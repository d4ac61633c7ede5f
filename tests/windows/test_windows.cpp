#include "store/text.h"
#include "windows/editor_window.h"
#include "windows/window_rig.h"

#include <QDate>

namespace {

using Answer = Platform::Answer;
const QString Save = "; click Command2"; // of the accounts and the rules editor
const QString Enter = "; click Command1" + Save;
const QString Unstorable = "%1, which Mailweir cannot store.      \r\n"
                           "Please remove it and try again.      ";
const QString Cash = "|Body|cash||||||";
const QStringList AB = {"a", "b"};
const QStringList ListAB = {"b@y", "a@y"};
const QStringList Four = {"gamma", "beta", "delta", "alpha"};

QStringList numbered(int count) {
    QStringList entries;
    for (int i = 10; i < 10 + count; ++i)
        entries << QString("e%1").arg(i, 5, 10, QChar('0')); // in sorted order
    return entries;
}

void row(const QString& name, const Play& play) {
    QTest::newRow(qPrintable(name)) << play;
}

void accountRows() {
    const QString noName = "Please give the account a name.      \r\n"
                           "To remove an account, select it and press Delete.      ";
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const auto on = [](const QStringList& names, const QString& steps) {
        return Play(Accounts, steps).with("Accounts.txt", accountLines(names));
    };
    row("accounts: none", on({}, "sees 0,0=Name; sees 0,1=Mail server; sees 0,2=Username; "
                                 "sees 1,0=; is Text5=110; is Text1=")
                              .unsaved());
    row("accounts: a new one after the last, not in the clicked row",
        on(AB, "cell 9,1; type Text1= c ; type Text2= pop.c ; type Text4= p\u00e4 " + Enter)
            .leaves("Accounts.txt",
                    {"c", "pop.c", "", "q\u00e5", today, "encrypt", "0", "1", "110", ""}, 30));
    row("accounts: an account keeps its date, spares and enabled mark",
        Play(Accounts, "type Text2=new.server; type Text5=995; type Text6=" + Enter)
            .leaves("Accounts.txt",
                    {"a", "new.server", "user", "", "1/2/20", "0", "0", "", "995", ""}, 10));
    row("accounts: a provider's preset signs in with OAuth2 at its server and port",
        Play(Accounts, "combo Combo1=Microsoft account (OAuth2); toggle Check1" + Enter)
            .leaves("Accounts.txt",
                    {"a", "outlook.office365.com", "user", "", "1/2/20", "encrypt oauth2=microsoft",
                     "0", "", "995", "a@x"},
                    10));
    row("accounts: a 26th", on(numbered(25), "cell 30,0; type Text1=z" + Enter)
                                .telling({"Mailweir keeps at most 25 accounts.      \r\n"
                                          "Delete an account before you enter a new one.      "})
                                .unchanged());
    row("accounts: an empty name on an account",
        on(AB, "cell 2,0; type Text1=  " + Enter).telling({noName}).unchanged());
    row("accounts: an empty name on a new row",
        on(AB, "cell 4,0; type Text2=pop" + Enter).telling({noName}).unchanged());
    row("accounts: another account's name",
        on(AB, "cell 2,0; type Text1=a" + Enter)
            .telling({"Another account is already called \"a\".      \r\n"
                      "Please give this one a different name.      "})
            .unchanged());
    row("accounts: its own name", on(AB, "cell 2,0; type Text1=b" + Enter).unchanged());
    row("accounts: delete moves the rows below up and shows the next",
        on({"a", "b", "c"}, "cell 1,2; click Command4; is Text1=b" + Save)
            .leaves("Accounts.txt", accountLines({"b", "c"})));
}

void preferenceRows() {
    const auto stores = [](const QString& name, const QString& steps, int entry,
                           const QString& stored, const QStringList& typed = {}) {
        row("preferences: " + name,
            Play(Preferences, "setting 17=150; " + steps + "; click Command1")
                .typing(typed)
                .leaves("config.ini", {stored}, entry));
    };
    stores("an empty trash size", "type Text5=", 18, "10");
    stores("a notifier time above 60", "type Text4=99", 23, "60");
    stores("a notifier time below 5", "type Text4=3", 23, "5");
    stores("a check interval below 2", "type Text3=1", 21, "2");
    stores("a check interval of 3", "type Text3=3", 21, "3");
    stores("a size limit below 10", "type Text1=9", 10, "10");
    stores("letters are not typed", "type Text1=2x 5", 10, "25");
    stores("the trash slot within a smaller trash", "type Text5=100", 17, "50");
    stores("the trash slot within the same trash", "type Text5=200", 17, "150");
    stores("the program trimmed", "type Text2= /bin/mutt ", 20, "/bin/mutt");
    stores("the password scrambled", "type Text6= p\u00e4 ", 0, "q\u00e5");
    stores("a check box cleared", "toggle Check1", 11, "0");
    stores("learning switched off", "toggle Check12", 28, "0");
    stores("an OAuth2 client id trimmed", "type Text8= id.apps.example ", 4, "id.apps.example");
    stores("an image type deselected", "item List1=2", 52, "");
    stores("the program found", "click Command3", 20, "/bin/mutt", {"/bin/mutt"});
    row("preferences: the program not found",
        Play(Preferences, "click Command3; is Text2=msimn.exe").typing({""}).unsaved());
    const QString warning = "Enabled email accounts will be checked for      \r\n"
                            "messages and spam will be deleted automatically.      \r\n"
                            "You will not have the opportunity to read the      \r\n"
                            "messages to ensure that they really are spam!      \r\n"
                            "Are you sure you want to do this?      ";
    for (Answer answer : {Answer::Yes, Answer::No})
        row(QString("preferences: auto delete answered %1").arg(int(answer)),
            Play(Preferences, "toggle Check8; click Command1")
                .telling({warning}, {answer})
                .leaves("config.ini", {answer == Answer::Yes ? "1" : "0"}, 22));
}

void listRows() {
    const auto on = [](const QStringList& entries, const QString& steps) {
        return Play(Lists, steps).with("Blacklist.txt", entries);
    };
    const auto adds = [&](const QString& name, const QString& steps, const QString& typed,
                          const QStringList& stored) {
        row("lists: " + name,
            on(ListAB, steps + "; click Command1").typing({typed}).leaves("Blacklist.txt", stored));
    };
    row("lists: open on the blacklist, sorted, in a fixed pitch",
        on({"b@x", "C@x", "a@x"}, "is Option1=1; shows List1=a@x,b@x,C@x; fixed List1").unsaved());
    adds("add trims", "item List1=1; click Command3; is List1=C@y", " C@y ", {"a@y", "b@y", "C@y"});
    adds("add again", "click Command3; is List1=b@y", "b@y", {"a@y", "b@y", "b@y"});
    adds("add nothing", "item List1=1; click Command3; is List1=b@y", "  ", {"a@y", "b@y"});
    adds("edit unchanged", "item List1=1; click Command5; is List1=b@y", "b@y", {"a@y", "b@y"});
    adds("edit", "item List1=1; click Command5; is List1=0@y", "0@y", {"0@y", "a@y"});
    adds("edit to nothing", "item List1=1; click Command5; is List1=b@y", "", {"a@y", "b@y"});
    adds("edit with nothing selected", "click Command5", "x", {"a@y", "b@y"});
    adds("delete", "item List1=0; click Command4; is List1=", "", {"b@y"});
    row("lists: add shows the sixth line",
        on(numbered(60), "click Command3; is List1=e00040x; top List1=26")
            .typing({"e00040x"})
            .unsaved());
    row("lists: add to a full list",
        on(numbered(10000), "click Command3; click Command1")
            .typing({"new"})
            .telling({"This list holds at most 10000 entries.      \r\n"
                      "Delete an entry before you add another.      "})
            .unchanged());
    for (Answer answer : {Answer::Yes, Answer::No})
        row(QString("lists: delete all answered %1").arg(int(answer)),
            Play(Lists, "toggle Option3; click Command6; click Command1")
                .telling({"Delete all listed addresses?      "}, {answer})
                .leaves("BlackIP.txt",
                        answer == Answer::Yes ? QStringList() : QStringList{"1.1.1.1"}));
    row("lists: switching keeps the edits",
        Play(Lists, "toggle Option2; click Command3; toggle Option1; toggle Option2; "
                    "shows List1=n@x,w@x")
            .typing({"n@x"})
            .unsaved());
    const auto finds = [&](const QString& name, const QStringList& entries, const QString& steps) {
        row("lists: " + name, on(entries, steps).unsaved());
    };
    finds("the third found", Four, "type Text1=lt; click Command7; is List1=delta");
    finds("next finds nothing further", Four,
          "type Text1=ta; click Command7; click Command8; is List1=delta; click Command8; "
          "is List1=delta");
    finds("next with nothing selected, and from the last", Four,
          "type Text1=a; click Command8; is List1=alpha; item List1=3; click Command8; "
          "is List1=gamma");
    finds("letter case counts", Four, "type Text1=ALPHA; click Command7; is List1=");
    finds("enter finds", Four, "type Text1=gam; key Text1=Return; is List1=gamma");
    finds("two entries are not searched", ListAB, "type Text1=b@y; click Command7; is List1=");
}

void ruleRows() {
    const auto enters = [](const QString& name, const QString& steps, const QStringList& stored,
                           const QString& contains) {
        const QString sees = QString("; click Command1; sees %1,2=").arg(stored.size()) + contains;
        row("rules: " + name,
            Play(Rules, steps + sees + Save).leaves("Rules.txt", ruleLines(stored)));
    };
    enters("double spaces squeezed, letters lowered",
           "cell 2,2; combo Combo3=Subject; type Text1=Free  Offer",
           {Cash, "X|Subject|free offer||||||"}, "free offer      ");
    enters("blanks around kept", "cell 2,2; type Text1= a   b ", {Cash, "X|Body| a  b ||||||"},
           " a  b       ");
    enters("a blank phrase drops its operator",
           "cell 2,2; type Text1=a; combo Combo1=OR; type Text2=   ", {Cash, "X|Body|a||||||"},
           "a      ");
    enters("far below appends after the last rule",
           "cell 15,2; type Text1=b; combo Combo1=NOT; type Text2=C; combo Combo4=OR; type Text4=d",
           {Cash, "X|Body|b|NOT|c|||OR|d"}, "b NOT c   OR d");
    enters("a rule replaced is put in use", "cell 1,2; type Text1=money", {"X|Body|money||||||"},
           "money      ");
    enters("an empty first phrase", "cell 2,2; type Text1=  ; type Text2=x", {Cash}, "cash      ");
    // Delete loads the rule that moved up without switching its Use, though the keyboard
    // left the Use column current.
    row("rules: clicks and delete",
        Play(Rules,
             "cell 1,0; sees 1,0=X; cell 2,1; is Combo3=Subject; is Combo1=OR; is Combo2=NOT; "
             "is Combo4=AND; is Text4=p4; cell 9,2; is Text1=; is Combo1=OR; current 2,0; "
             "click Command4; is Text1=three; sees 2,0=X; sees 3,1=" +
                 Save)
            .with("Rules.txt",
                  ruleLines({Cash, "|Subject|p1|OR|p2|NOT|p3|AND|p4", "X|Head|three||||||"}))
            .leaves("Rules.txt", ruleLines({"X|Body|cash||||||", "X|Head|three||||||"})));
    row("rules: a thousandth",
        Play(Rules, "is MSFlexGrid1=1005; cell 1003,2; type Text1=more" + Enter)
            .with("Rules.txt", ruleLines(QStringList(999, Cash)))
            .telling({"Mailweir keeps at most 999 rules.      \r\nDelete a rule before you enter a "
                      "new one.      "})
            .unchanged());
    row("rules: a failed save keeps the window open",
        Play(Rules, "vanish" + Save)
            .telling(
                {"Mailweir could not write Rules.txt, which keeps what it held before.      \r\n"
                 "Check that the data folder can be written to.      "})
            .unsaved());
}

void closingRows() {
    const QString kinds[] = {"accounts", "preferences", "lists", "rules"};
    const QString cancels[] = {"Command3", "Command2", "Command2", "Command3"};
    const QString edits[] = {"click Command4", "type Text5=50; toggle Check1; type Text6=secret",
                             "click Command3; toggle Option3; click Command3",
                             "cell 1,0; type Text1=new; click Command1"};
    for (Kind kind : {Accounts, Preferences, Lists, Rules})
        for (const QString& close :
             QStringList{"click " + cancels[kind], "close", "key window=Escape"}) {
            const Play play = Play(kind, edits[kind] + "; " + close).typing({"b@x", "2.2.2.2"});
            row(kinds[kind] + ": " + close + " discards", Play(play).unsaved().unchanged());
        }
}

// Names in any script, typed into every editor, stored in UTF-8 and read back.
void anyScriptRows() {
    const QString world = "Жук Ωμέγα 漢字 😀";
    row("any script: an account",
        Play(Accounts, "cell 9,1; type Text1=" + world + "; type Text2=" + world +
                           "; type Text4=" + world + "; type Text6=" + world + Enter)
            .leaves("Accounts.txt", {world, world, "", text::scramble(world)}, 20));
    row("any script: a list entry", Play(Lists, "click Command3; click Command1")
                                        .typing({world})
                                        .with("Blacklist.txt", {"a@x"})
                                        .leaves("Blacklist.txt", {"a@x", world}));
    row("any script: a rule phrase, lowered",
        Play(Rules, "cell 2,2; type Text1=" + world.toUpper() + Enter)
            .leaves("Rules.txt", ruleLines({Cash, "X|Body|" + world.toLower() + "||||||"})));
}

void refusalRows() {
    const auto refuses = [](const QString& name, const Play& play, const QString& told) {
        row("refused: " + name, Play(play).telling({told}).unchanged());
    };
    const QString password = Unstorable.arg("The Password box holds the character %1");
    for (const auto& [code, typed] : {std::pair{"U+0009", "a\tb"},
                                      {"U+000C", "\x0c"},
                                      {"U+001F", "a\x1f"},
                                      {"U+D7FF", "\ud7ff"}})
        refuses(QString("%1 in an account password").arg(code),
                Play(Accounts, QString("type Text4=") + typed + Enter), password.arg(code));
    refuses("a line end in a list entry",
            Play(Lists, "click Command3; click Command1").typing({"a\nb"}),
            Unstorable.arg("The entry holds the character U+000A"));
    const QString tooLong = "The %1 box holds %2 characters; Mailweir keeps at most %3.      \r\n"
                            "Please shorten it and try again.      ";
    refuses("a pasted password of 64",
            Play(Preferences, "type Text6=" + QString(64, 'p') + "; click Command1").unsaved(),
            tooLong.arg("Password").arg(64).arg(50));
    refuses("a phrase of 120 from a hand-edited file",
            Play(Rules, "cell 1,2; click Command1")
                .with("Rules.txt", ruleLines({"X|Body|" + QString(120, 'w') + "||||||"}))
                .unsaved(),
            tooLong.arg("Contains").arg(120).arg(100));
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void play_data() {
        QTest::addColumn<Play>("play");
        accountRows();
        preferenceRows();
        listRows();
        ruleRows();
        closingRows();
        anyScriptRows();
        refusalRows();
    }
    void play() {
        QFETCH(Play, play);
        WindowRig().play(play);
    }
};

QTEST_MAIN(TestWindows)
#include "test_windows.moc"
