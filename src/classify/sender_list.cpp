#include "classify/sender_list.h"

#include "store/text.h"

namespace {

const QChar At = QLatin1Char('@');
const QChar Open = QLatin1Char('<');
const QChar Close = QLatin1Char('>');

} // namespace

namespace sender {

// A last ">" standing before the last "<" leaves no bracketed part to cut; such a mangled
// address is compared as empty, so it matches no entry rather than a garbled text.
QString address(const QString& from) {
    const qsizetype open = from.lastIndexOf(Open);
    const qsizetype close = from.lastIndexOf(Close);
    if (open < 0 || close < 0)
        return from;
    return close > open ? text::trimSpaces(text::between(from, open, close)) : QString();
}

QString domainPart(const QString& address) {
    const qsizetype at = address.indexOf(At);
    return at < 0 ? address : text::from(address, at + 1);
}

} // namespace sender

SenderList::SenderList(const QStringList& entries) {
    for (qsizetype i = 0; i < entries.size() && !entries[i].isEmpty(); ++i)
        (entries[i].contains(At) ? senders_ : domains_).insert(entries[i], i);
}

SenderList::Match SenderList::lastMatch(const QString& address) const {
    const qsizetype asSender = senders_.value(address, -1);
    const qsizetype asDomain = domains_.value(sender::domainPart(address), -1);
    if (asSender < 0 && asDomain < 0)
        return Match::None;
    return asSender > asDomain ? Match::Sender : Match::Domain;
}
