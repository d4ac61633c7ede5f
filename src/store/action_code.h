#pragma once

#include <QString>

// The action codes of a message: what Process does with it. Stored in the message table's
// "Action" column and decided by the classification tests.
namespace action {
inline const QString Keep;
inline const QString Delete = QStringLiteral("D");    // delete
inline const QString Blacklist = QStringLiteral("B"); // delete and blacklist the sender
inline const QString Whitelist = QStringLiteral("W"); // whitelist the sender
} // namespace action
