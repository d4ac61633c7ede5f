#pragma once

#include "classify/message_file.h"

#include <QString>

#include <optional>

struct HeaderCells;

// The header extraction's reading of a message file: lines up to the first that trims to
// nothing (or the end of the file); a line that begins with a blank or a tab continues the
// field above it (RFC 5322 folding). From:, Subject:, To: and Received: are recognised by
// their exact, case-sensitive names, the last of each wins, and only the cells whose fields
// are found are written: From, Subject and To as a person reads them (unfolded, encoded words
// and 8-bit text decoded; From without double quotes; trimmed), IP as received::address reads
// the Received: field.
void readHeaderCells(const MessageFile& message, HeaderCells& cells);

namespace received {

// The address of the server that sent a message on, from one unfolded Received: value: the
// bracketed address inside the parentheses when there is one, else a bracketed address
// elsewhere, else a bare address in parentheses; a public address before any private,
// loopback or link-local one, whatever the order of the text. IPv6 is kept as written, less
// its "IPv6:" tag. With no address at all, the text of the first "[...]" pair, trimmed, or
// nothing when the value has no such pair.
std::optional<QString> address(const QString& value);

} // namespace received
