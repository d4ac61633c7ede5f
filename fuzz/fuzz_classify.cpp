// Feeds arbitrary bytes as a downloaded message file through the classifier's whole sequence.
// The input's first line, split at "|", also becomes one more rule, so the phrase matcher is
// built from arbitrary phrases too. The message must end with a known action, and two copies
// of it must both be duplicates when it is unmarked and neither when it is marked.
#include "classify/classifier.h"
#include "store/global.h"

#include <QTemporaryDir>

#include <cstdlib>

namespace {

Global& sharedGlobal(const QString& folder) {
    static Global global;
    if (global.DataFolder.isEmpty()) {
        global.setUpDataFolder(folder);
        global.settings.setDefaults(global.DataFolder);
        global.blacklist.setEntries({QStringLiteral("a@b"), QStringLiteral("b")});
        global.whitelist.setEntries({QStringLiteral("w@b")});
        global.blackIP.setEntries({QStringLiteral("1.2.3.4")});
        global.accounts.row(1).AccountName = QStringLiteral("home");
        global.accounts.row(1).EmailAddress = QStringLiteral("me@x");
    }
    return global;
}

Rule ruleFromLine(const QByteArray& line) {
    const QList<QByteArray> parts = line.split('|');
    Rule rule;
    qsizetype i = 0;
    for (QString* field : rule.fields())
        *field = QString::fromLatin1(parts.value(i++));
    return rule;
}

QList<Rule> rulesFor(const QByteArray& input) {
    const QString x = QStringLiteral("X");
    QList<Rule> rules = {{x, QStringLiteral("Anywhere"), QStringLiteral("a"), QStringLiteral("AND"),
                          QStringLiteral("ab"), QStringLiteral("OR"), QStringLiteral(" "),
                          QStringLiteral("NOT"), QStringLiteral("\u00e9")},
                         {x, QStringLiteral("Head"), QStringLiteral("from: "), QString(), QString(),
                          QString(), QString(), QString(), QString()},
                         {x, QStringLiteral("Body"), QStringLiteral("\t"), QStringLiteral("OR"),
                          QStringLiteral("aaa"), QString(), QString(), QString(), QString()}};
    rules.append(ruleFromLine(input.left(input.indexOf('\n'))));
    return rules;
}

bool knownAction(const Candidate& c) {
    const QString action = c.mark.value_or(Mark{}).action;
    return action.isEmpty() || action == action::Delete || action == action::Blacklist ||
           action == action::Whitelist;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir home;
    Global& global = sharedGlobal(home.path());
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    global.rules.setRules(rulesFor(input));
    const Classifier classifier(global);
    const MessageFile file = MessageFile::fromBytes(input);
    Candidate c{{}, QStringLiteral("1k"), file};
    classifier.classify(c);
    if (!knownAction(c))
        std::abort();
    const SubjectAndAction row{c.cells.Subject, c.mark.value_or(Mark{}).action};
    const QList<qsizetype> both = {0, 1};
    if (DuplicateSubjects({row, row}) != (row.action.isEmpty() ? both : QList<qsizetype>()))
        std::abort();
    return 0;
}
