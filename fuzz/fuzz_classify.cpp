// Feeds arbitrary bytes as a downloaded message file through the whole classification pass.
// The input's first line, split at "|", also becomes one more rule, so the phrase matcher is
// built from arbitrary phrases too. Every row must end with a known action in its colour.
#include "classify/classification_pass.h"
#include "review/message_table.h"
#include "store/global.h"

#include <QFile>
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

bool wellMarked(const MessageTable& table, int r) {
    const QString action = table.cell(r, col::Action);
    uint expected = colour::White;
    if (action == QLatin1String("D"))
        expected = colour::LightRed;
    else if (action == QLatin1String("B"))
        expected = colour::LightGrey;
    else if (!action.isEmpty() && action != QLatin1String("W"))
        return false;
    for (int c = 0; c < col::Count; ++c)
        if (table.grid().CellBackColor(r, c) != expected)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir home;
    Global& global = sharedGlobal(home.path());
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    global.rules.setRules(rulesFor(input));
    {
        QFile file(global.dataPath(QStringLiteral("email1.eml")));
        if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
            return 0;
    }
    MessageTable table;
    for (int r : {1, 2}) { // the same file twice, so duplicate subjects are found
        table.setCell(r, col::File, QStringLiteral("email1.eml"));
        table.setCell(r, col::Size, QStringLiteral("1k"));
    }
    classifyRows(table, global, [] {});
    if (!wellMarked(table, 1) || !wellMarked(table, 2))
        std::abort();
    return 0;
}
