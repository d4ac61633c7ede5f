#pragma once

#include <QString>

// What the data files can hold. Every stored value is one line of UTF-8 text, so a value may
// hold any character but a line end. A password is stored with each code point raised by one,
// so it must also avoid the characters that this turns into a line end (tab, 12), into a blank
// that the loader would trim at either end (31), or into no character at all (the last before
// the surrogates, and the last code point).
namespace storable {

// The first character (a code point) of `value` that a data file cannot hold, or 0 when none.
char32_t badCharacter(const QString& value);

// The same for a password.
char32_t badPasswordCharacter(const QString& value);

} // namespace storable
