#include "learn/taught_record.h"

#include "store/text_file.h"

#include <QCryptographicHash>

#include <algorithm>

namespace {

// One line per message: its kind's letter, a space and the digest in hexadecimal.
constexpr char GoodLetter = 'G';
constexpr char SpamLetter = 'S';
constexpr qsizetype DigestStart = 2;

} // namespace

QByteArray TaughtRecord::digestOf(const QByteArray& text) {
    return QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex();
}

void TaughtRecord::open(const QString& path) {
    if (path == path_)
        return;
    path_ = path;
    kinds_.clear();
    for (const QString& line : textfile::readLines(path)) {
        const QByteArray bytes = line.toLatin1();
        if (bytes.size() > DigestStart && (bytes[0] == GoodLetter || bytes[0] == SpamLetter))
            kinds_.insert(bytes.mid(DigestStart), bytes[0] == SpamLetter ? Kind::Spam : Kind::Good);
    }
}

std::optional<TaughtRecord::Kind> TaughtRecord::kindOf(const QByteArray& digest) const {
    const auto found = kinds_.constFind(digest);
    return found == kinds_.cend() ? std::nullopt : std::optional<Kind>(*found);
}

void TaughtRecord::set(const QByteArray& digest, Kind kind) {
    kinds_.insert(digest, kind);
}

qsizetype TaughtRecord::count(Kind kind) const {
    return std::count(kinds_.cbegin(), kinds_.cend(), kind);
}

bool TaughtRecord::save() const {
    QStringList lines;
    lines.reserve(kinds_.size());
    for (auto k = kinds_.cbegin(); k != kinds_.cend(); ++k)
        lines.append(QString(QLatin1Char(k.value() == Kind::Spam ? SpamLetter : GoodLetter)) +
                     QLatin1Char(' ') + QString::fromLatin1(k.key()));
    return textfile::writeLines(path_, lines, true);
}
