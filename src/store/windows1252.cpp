#include "store/windows1252.h"

#include <algorithm>
#include <array>

namespace windows1252 {

namespace {

constexpr uchar FirstMapped = 0x80;
// Bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
constexpr uchar LastMapped = FirstMapped + High.size() - 1;

} // namespace

QString decode(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    std::transform(bytes.begin(), bytes.end(), text.begin(), [](char b) {
        const auto byte = static_cast<uchar>(b);
        return QChar(byte >= FirstMapped && byte <= LastMapped ? High[byte - FirstMapped]
                                                               : char16_t(byte));
    });
    return text;
}

QByteArray encode(const QString& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), bytes.begin(), [](QChar c) {
        const char16_t u = c.unicode();
        const auto at = std::find(High.begin(), High.end(), u);
        if (at != High.end())
            return static_cast<char>(FirstMapped + (at - High.begin()));
        const bool plain = u < FirstMapped || (u > LastMapped && u <= 0xFF);
        return plain ? static_cast<char>(u) : '?';
    });
    return bytes;
}

} // namespace windows1252
