#include "store/storable.h"

#include <QList>
#include <algorithm>

namespace storable {

namespace {

constexpr char32_t LineFeed = 0x0A;
constexpr char32_t CarriageReturn = 0x0D;
// Code points whose scrambled successor is a line feed, a carriage return, a blank, a
// surrogate or beyond the last code point.
constexpr char32_t BecomesLineFeed = LineFeed - 1;
constexpr char32_t BecomesCarriageReturn = CarriageReturn - 1;
constexpr char32_t BecomesBlank = 0x20 - 1;
constexpr char32_t BecomesSurrogate = 0xD7FF;
constexpr char32_t LastCodePoint = 0x10FFFF;

template <typename Refused> char32_t firstRefused(const QString& value, Refused refused) {
    const QList<uint> points = value.toUcs4();
    const auto at = std::find_if(points.begin(), points.end(),
                                 [&](uint point) { return refused(char32_t(point)); });
    return at == points.end() ? 0 : char32_t(*at);
}

} // namespace

char32_t badCharacter(const QString& value) {
    return firstRefused(value, [](char32_t c) { return c == LineFeed || c == CarriageReturn; });
}

char32_t badPasswordCharacter(const QString& value) {
    return firstRefused(value, [](char32_t c) {
        return c == BecomesLineFeed || c == BecomesCarriageReturn || c == BecomesBlank ||
               c == BecomesSurrogate || c == LastCodePoint;
    });
}

} // namespace storable
