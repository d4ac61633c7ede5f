#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The sender of a message as the black and white lists see it.
namespace sender {

// The address cut out of a "From" cell: the text between its last "<" and its last ">",
// trimmed, or the whole text when it lacks either bracket.
QString address(const QString& from);

// The text after the first "@" of an address, or the whole address when it has none.
QString domainPart(const QString& address);

} // namespace sender

// A blacklist or whitelist indexed for one classification pass. An entry holding "@" is a
// sender entry, compared with the whole address; any other is a domain entry, compared with
// the domain part. Comparison is exact, letter case included.
class SenderList {
public:
    enum class Match { None, Sender, Domain };

    // The entries up to the first empty one.
    explicit SenderList(const QStringList& entries);

    // Which kind of entry matches the address last in list order, as a linear scan that
    // lets every match overwrite the previous one would leave it.
    Match lastMatch(const QString& address) const;

private:
    QHash<QString, qsizetype> senders_; // entry -> its last position in the list
    QHash<QString, qsizetype> domains_;
};
