#include "store/data_files.h"

#include "store/account_options.h"
#include "store/text.h"
#include "store/text_file.h"

namespace {

// The entries of `lines` up to the first empty one, at most `limit`.
QStringList headUntilEmpty(const QStringList& lines, qsizetype limit) {
    QStringList head;
    for (const QString& line : lines) {
        if (line.isEmpty() || head.size() >= limit)
            break;
        head.append(line);
    }
    return head;
}

} // namespace

// --- Accounts ---------------------------------------------------------------------------

std::array<QString*, Account::FieldCount> Account::fields() {
    return {&AccountName, &MailServer, &Username, &AccountPassword, &DateAdded, &Spare1,
            &Spare2,      &Enabled,    &Port,     &EmailAddress};
}

std::array<const QString*, Account::FieldCount> Account::fields() const {
    return {&AccountName, &MailServer, &Username, &AccountPassword, &DateAdded, &Spare1,
            &Spare2,      &Enabled,    &Port,     &EmailAddress};
}

const Account& AccountTable::row(int r) const {
    return r >= 0 && r < StoredRows ? rows_[r] : rows_[StoredRows];
}

Account& AccountTable::row(int r) {
    if (r >= 0 && r < StoredRows)
        return rows_[r];
    rows_[StoredRows] = Account();
    return rows_[StoredRows];
}

int AccountTable::count() const {
    int n = 0;
    while (n < MaxAccounts && !rows_[n + 1].AccountName.isEmpty())
        ++n;
    return n;
}

void AccountTable::load(const QString& folder) {
    rows_.fill(Account());
    const QStringList lines = file_.load(folder);
    qsizetype line = 0;
    for (int r = 0; r < StoredRows; ++r) {
        for (QString* field : rows_[r].fields())
            *field = text::trimSpaces(lines.value(line++));
        rows_[r].AccountPassword = text::unscramble(rows_[r].AccountPassword, file_.legacy());
    }
}

bool AccountTable::save(const QString& folder) const {
    QStringList lines;
    for (int r = 0; r < StoredRows; ++r) {
        Account stored = rows_[r];
        // A secret kept in the keyring stands in no file.
        stored.AccountPassword = AccountOptions::of(stored).secretInKeyring
                                     ? QString()
                                     : text::scramble(stored.AccountPassword);
        for (const QString* field : std::as_const(stored).fields())
            lines.append(*field);
    }
    return file_.save(folder, lines, true);
}

// --- Lists ------------------------------------------------------------------------------

EntryList::EntryList(const char* fileName, qsizetype capacity)
    : file_(fileName), capacity_(capacity) {}

void EntryList::setEntries(const QStringList& entries) {
    entries_ = headUntilEmpty(entries, capacity_);
}

void EntryList::add(const QString& value) {
    if (value.isEmpty() || entries_.contains(value))
        return;
    if (entries_.size() < capacity_)
        entries_.append(value);
    else if (!entries_.isEmpty())
        entries_.last() = value;
}

void EntryList::load(const QString& folder) {
    setEntries(file_.load(folder));
}

bool EntryList::save(const QString& folder) const {
    return file_.save(folder, entries_);
}

// --- Rules ------------------------------------------------------------------------------

std::array<QString*, Rule::FieldCount> Rule::fields() {
    return {&Use, &Where, &Phrase1, &Op2, &Phrase2, &Op3, &Phrase3, &Op4, &Phrase4};
}

std::array<const QString*, Rule::FieldCount> Rule::fields() const {
    return {&Use, &Where, &Phrase1, &Op2, &Phrase2, &Op3, &Phrase3, &Op4, &Phrase4};
}

void RuleTable::setRules(const QList<Rule>& rules) {
    rules_.clear();
    for (const Rule& rule : rules) {
        if (rule.Where.isEmpty() || rules_.size() >= MaxRules)
            break;
        rules_.append(rule);
    }
}

void RuleTable::load(const QString& folder) {
    const QStringList lines = file_.load(folder);
    QList<Rule> rules;
    for (qsizetype line = 0; line < lines.size() && rules.size() < MaxRules;) {
        Rule rule;
        for (QString* field : rule.fields())
            *field = lines.value(line++);
        rules.append(rule);
    }
    setRules(rules);
}

bool RuleTable::save(const QString& folder) const {
    QStringList lines;
    for (const Rule& rule : rules_)
        for (const QString* field : rule.fields())
            lines.append(*field);
    return file_.save(folder, lines);
}
