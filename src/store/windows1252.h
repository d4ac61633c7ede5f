#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit code page of data folders brought over from the Windows program. Bytes 0x80 to 0x9F
// hold the typographic characters (€ ’ “ ” – — and so on); the five bytes that code page leaves
// undefined read as the control characters of the same number, as Windows itself reads them,
// so every byte has a character and every such character its byte.
namespace windows1252 {

QString decode(const QByteArray& bytes);
// The byte of each character; a character the code page lacks becomes '?'.
QByteArray encode(const QString& text);

} // namespace windows1252
