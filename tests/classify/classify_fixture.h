#pragma once

#include "classify/classification_pass.h"
#include "review/message_table.h"
#include "store/global.h"
#include "support/temp_home.h"

#include <QFile>
#include <QStringList>

// A data folder, the shared tables at their defaults and an empty message table.
struct Desk {
    TempHome home;
    Global global;
    MessageTable table;

    Desk() {
        global.setUpDataFolder(home.documents());
        global.settings.setDefaults(global.DataFolder);
    }

    // Puts a message file into the data folder (null bytes: no such file) and fills the cells
    // the retrieval run writes.
    void addRow(int r, const QString& file, const QByteArray& bytes, const QString& size = "1k") {
        if (bytes.isNull())
            QFile::remove(global.dataPath(file));
        else
            home.write("Documents/Spam/" + file, bytes);
        table.setCell(r, col::File, file);
        table.setCell(r, col::Size, size);
        table.setCell(r, col::Account, "home");
    }

    void setAccounts(const QStringList& addresses) {
        for (int r = 1; r <= AccountTable::MaxAccounts; ++r) {
            Account& account = global.accounts.row(r);
            const bool used = r <= addresses.size();
            account.AccountName = used ? QString("account%1").arg(r) : QString();
            account.EmailAddress = used ? addresses[r - 1] : QString();
        }
    }

    void run() {
        classifyRows(table, global, [] {});
    }
};

// "Use|Where|Phrase1|Op2|Phrase2|Op3|Phrase3|Op4|Phrase4", missing fields empty.
inline Rule ruleFrom(const QString& compact) {
    const QStringList parts = compact.split('|');
    Rule rule;
    int i = 0;
    for (QString* field : rule.fields())
        *field = parts.value(i++);
    return rule;
}

inline QList<Rule> rulesFrom(const QStringList& compact) {
    QList<Rule> rules;
    for (const QString& r : compact)
        rules.append(ruleFrom(r));
    return rules;
}

inline uint colourFor(const QString& action) {
    if (action == "D")
        return colour::LightRed;
    return action == "B" ? colour::LightGrey : colour::White;
}

// The row's colour when all eleven cells share it, or 1 (no such colour) when they differ.
inline uint rowColour(const MessageTable& table, int r) {
    const uint first = table.grid().CellBackColor(r, 0);
    for (int c = 1; c < col::Count; ++c)
        if (table.grid().CellBackColor(r, c) != first)
            return 1;
    return first;
}
