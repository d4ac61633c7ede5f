#pragma once

#include "store/text_file.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// The five data files and their tables. Every loader accepts a missing, short, overlong,
// empty or garbage file (missing lines read as empty fields); every saver writes whole files
// through QSaveFile and never past a table's capacity, and none writes over a file that was
// there but could not be read (see textfile::StoredFile). Savers return true on failure.

// One POP3 account: the ten fields of an Accounts.txt record, in file order.
struct Account {
    QString AccountName;
    QString MailServer;
    QString Username;
    QString AccountPassword;
    QString DateAdded;
    QString Spare1;
    QString Spare2;
    QString Enabled;
    QString Port;
    QString EmailAddress;

    static constexpr int FieldCount = 10;
    std::array<QString*, FieldCount> fields();
    std::array<const QString*, FieldCount> fields() const;
};

// Accounts.txt: 26 records of ten lines (rows 0 to 25). Row 0 belongs to no account but is
// kept as loaded; rows 1 to 25 hold the accounts, ended by the first empty AccountName.
class AccountTable {
public:
    static constexpr auto FileName = "Accounts.txt";
    static constexpr int MaxAccounts = 25;
    static constexpr int StoredRows = MaxAccounts + 1;

    // Row 0 to 25; any other row reads as an empty account and is never written.
    const Account& row(int r) const;
    Account& row(int r);

    // The accounts from row 1 up to the first empty AccountName.
    int count() const;

    void load(const QString& folder);
    bool save(const QString& folder) const;
    const textfile::StoredFile& file() const { return file_; }

private:
    textfile::StoredFile file_{FileName};
    std::array<Account, StoredRows + 1> rows_; // the extra row absorbs out-of-range access
};

// A list file (Blacklist.txt, Whitelist.txt, BlackIP.txt): one entry per line. In memory
// the list holds its entries from index 0 up to, not including, the first empty one.
class EntryList {
public:
    EntryList(const char* fileName, qsizetype capacity);

    const QStringList& entries() const { return entries_; }
    qsizetype capacity() const { return capacity_; }
    const QString& fileName() const { return file_.name(); }

    // Replaces the entries (an empty entry ends the list; entries past the capacity are dropped).
    void setEntries(const QStringList& entries);
    // Adds a value unless it is empty or already present (exact comparison). A full list has
    // its last entry overwritten, so the newest addition is the one kept.
    void add(const QString& value);

    void load(const QString& folder);
    bool save(const QString& folder) const;
    const textfile::StoredFile& file() const { return file_; }

private:
    textfile::StoredFile file_;
    qsizetype capacity_;
    QStringList entries_;
};

// One spam rule: the nine lines of a Rules.txt record, in file order.
struct Rule {
    QString Use;
    QString Where;
    QString Phrase1;
    QString Op2;
    QString Phrase2;
    QString Op3;
    QString Phrase3;
    QString Op4;
    QString Phrase4;

    static constexpr int FieldCount = 9;
    std::array<QString*, FieldCount> fields();
    std::array<const QString*, FieldCount> fields() const;
};

// Rules.txt: nine lines per rule, no separator. In memory, the rules up to the first one
// whose Where is empty, at most 999.
class RuleTable {
public:
    static constexpr auto FileName = "Rules.txt";
    static constexpr int MaxRules = 999;

    const QList<Rule>& rules() const { return rules_; }
    // Replaces the rules; a rule with an empty Where ends the table, extra rules are dropped.
    void setRules(const QList<Rule>& rules);

    void load(const QString& folder);
    bool save(const QString& folder) const;
    const textfile::StoredFile& file() const { return file_; }

private:
    textfile::StoredFile file_{FileName};
    QList<Rule> rules_;
};
