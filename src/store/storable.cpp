#include "store/storable.h"

#include <algorithm>

namespace storable {

namespace {

constexpr ushort LastLatin1 = 0xFF;
constexpr ushort LineFeed = 0x0A;
constexpr ushort CarriageReturn = 0x0D;
// Codes whose scrambled successor is a line feed, a carriage return or a blank.
constexpr ushort BecomesLineFeed = LineFeed - 1;
constexpr ushort BecomesCarriageReturn = CarriageReturn - 1;
constexpr ushort BecomesBlank = 0x20 - 1;

template <typename Refused> QChar firstRefused(const QString& value, Refused refused) {
    const auto at = std::find_if(value.begin(), value.end(), refused);
    return at == value.end() ? QChar() : *at;
}

bool unstorable(QChar c) {
    return c.unicode() > LastLatin1 || c.unicode() == LineFeed || c.unicode() == CarriageReturn;
}

} // namespace

QChar badCharacter(const QString& value) {
    return firstRefused(value, unstorable);
}

QChar badPasswordCharacter(const QString& value) {
    return firstRefused(value, [](QChar c) {
        const ushort code = c.unicode();
        return code >= LastLatin1 || code == BecomesLineFeed || code == BecomesCarriageReturn ||
               code == BecomesBlank;
    });
}

} // namespace storable
