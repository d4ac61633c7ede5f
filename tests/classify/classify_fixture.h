#pragma once

#include "classify/classifier.h"
#include "store/global.h"
#include "support/temp_home.h"

#include <QStringList>

// The shared tables at their defaults, in a data folder of their own.
struct Desk {
    TempHome home;
    Global global;

    Desk() { global.settings.setDefaults(home.path()); }

    // Settings changes written "entry=text;entry=text".
    void change(const QString& settings) {
        for (const QString& item : settings.split(';', Qt::SkipEmptyParts))
            global.settings[item.section('=', 0, 0).toInt()] = item.section('=', 1);
    }

    // Accounts with these own addresses, all disabled, the rest unused.
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
};

// A candidate's cells and mark as one list: From, Subject, To, IP, Action, Reason.
inline QStringList outcome(const Candidate& c) {
    const Mark mark = c.mark.value_or(Mark{});
    return {c.cells.From, c.cells.Subject, c.cells.To, c.cells.IP, mark.action, mark.reason};
}
