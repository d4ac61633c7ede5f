#pragma once

#include <QString>

// StripTags: HTML reduced to its text. Style and script blocks go with their contents, every
// other tag goes alone, "&nbsp;" and "&quot;" are decoded and pairs of blanks are halved. No
// other entity is decoded and line breaks stay. Linear in the length of the text.
QString StripTags(const QString& s);

// One left-to-right pass that replaces each occurrence of `before` by `after`; what a
// replacement writes is not searched again ("    " with "  " -> " " gives "  ").
QString replaceEach(const QString& s, QLatin1String before, QLatin1String after);
