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

    // Accounts with these own addresses, the rest unused.
    void setAccounts(const QStringList& addresses) {
        for (int r = 1; r <= AccountTable::MaxAccounts; ++r) {
            global.accounts.row(r).AccountName = r <= addresses.size() ? "account" : "";
            global.accounts.row(r).EmailAddress = addresses.value(r - 1);
        }
    }

    // Rules written "Use|Where|Phrase1|Op2|Phrase2|Op3|Phrase3|Op4|Phrase4", missing fields
    // empty.
    void setRules(const QStringList& compact) {
        QList<Rule> rules;
        for (const QString& text : compact) {
            const QStringList parts = text.split('|');
            Rule& rule = rules.emplaceBack();
            for (int i = 0; i < Rule::FieldCount; ++i)
                *rule.fields()[i] = parts.value(i);
        }
        global.rules.setRules(rules);
    }

    void run() {
        classifyRows(table, global, [] {});
    }
};
