#pragma once

#include <QChar>
#include <QString>

// What the data files can hold. Every stored value is one line of 8-bit text, so a value must
// keep to Latin-1 and hold no line end. A password is stored with each code raised by one,
// so it must also avoid the codes that this turns into a line end (tab, 12), into a blank that
// the loader would trim at either end (31), or past the 8-bit range (255).
namespace storable {

// The first character of `value` that a data file cannot hold, or a null QChar when none.
QChar badCharacter(const QString& value);

// The same for a password.
QChar badPasswordCharacter(const QString& value);

} // namespace storable
