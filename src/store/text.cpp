#include "store/text.h"

#include "store/windows1252.h"

#include <QList>

#include <cmath>
#include <limits>

namespace text {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The position after the leading number of s, starting at `start`; returns start when none.
qsizetype scanNumber(const QString& s, qsizetype start) {
    qsizetype i = start;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        ++i;
    qsizetype digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < s.size() && isDigit(s[j])) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            digits += fraction;
            i = j;
        }
    }
    return digits > 0 ? i : start;
}

qsizetype skipBlanks(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && (s[i] == QLatin1Char(' ') || s[i] == QLatin1Char('\t')))
        ++i;
    return i;
}

} // namespace

double leadingNumber(const QString& s) {
    const qsizetype start = skipBlanks(s);
    const qsizetype end = scanNumber(s, start);
    if (end == start)
        return 0.0;
    bool ok = false;
    const double value = QStringView(s).mid(start, end - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

qint64 leadingInteger(const QString& s) {
    const double value = leadingNumber(s);
    constexpr double top = 9.2e18;
    if (value >= top)
        return std::numeric_limits<qint64>::max();
    if (value <= -top)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(value);
}

QString trimSpaces(const QString& s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && s[end - 1] == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

QString from(const QString& s, qsizetype from) {
    return cut(s, from, s.size());
}

QString cut(const QString& s, qsizetype from, qsizetype length) {
    if (length <= 0 || from >= s.size())
        return QString();
    if (from < 0) {
        length += from;
        from = 0;
    }
    if (length <= 0)
        return QString();
    return s.mid(from, qMin(length, s.size() - from));
}

QString between(const QString& s, qsizetype open, qsizetype close) {
    if (open < 0 || close > s.size())
        return QString();
    return cut(s, open + 1, close - open - 1);
}

namespace {

// Every code point moved by `step`. The editors refuse the few characters whose neighbour is no
// character (a surrogate, or past the last code point), so none is ever stored.
QString shifted(const QString& s, int step) {
    const QList<uint> points = s.toUcs4();
    QList<char32_t> moved;
    moved.reserve(points.size());
    for (uint point : points)
        moved.append(point == 0 && step < 0 ? 0 : static_cast<char32_t>(point + step));
    return QString::fromUcs4(moved.constData(), moved.size());
}

} // namespace

QString scramble(const QString& plain) {
    return shifted(plain, 1);
}

QString unscramble(const QString& stored, bool legacyFile) {
    if (!legacyFile)
        return shifted(stored, -1);
    // The Windows program raised the byte of each character in its code page.
    QByteArray bytes = windows1252::encode(stored);
    for (char& byte : bytes)
        if (byte != 0)
            byte = static_cast<char>(static_cast<uchar>(byte) - 1);
    return windows1252::decode(bytes);
}

} // namespace text
