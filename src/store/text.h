#pragma once

#include <QString>

// Text helpers shared by every room. Each cut clamps to the string, so no caller can index
// outside a text whatever a server, a file or the user hands in. Positions are 0-based.
namespace text {

// The leading-number rule: blanks are skipped, then the longest leading decimal number
// (sign, digits, optional point and fraction) is taken; text without one counts as 0.
double leadingNumber(const QString& s);

// The same, as a whole number, saturated to the 64-bit range.
qint64 leadingInteger(const QString& s);

// Removes leading and trailing spaces only; tabs stay.
QString trimSpaces(const QString& s);

// The characters of s from position `from` on (clamped to [0, size]).
QString from(const QString& s, qsizetype from);

// The characters of s in [from, from + length), clamped; a negative length gives "".
QString cut(const QString& s, qsizetype from, qsizetype length);

// The characters of s strictly between positions `open` and `close` (exclusive both ends),
// or "" when close <= open + 1 or either lies outside s.
QString between(const QString& s, qsizetype open, qsizetype close);

// True when s begins with prefix, compared exactly (letter case included).
inline bool startsExactly(const QString& s, const QString& prefix) {
    return s.startsWith(prefix, Qt::CaseSensitive);
}

// Every code point of s raised (or lowered) by one, as the stored passwords are scrambled. A
// password from a file read as Windows-1252 (`legacyFile`) was scrambled byte by byte in that
// code page, and is unscrambled the same way.
QString scramble(const QString& plain);
QString unscramble(const QString& stored, bool legacyFile = false);

} // namespace text
