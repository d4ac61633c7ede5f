#pragma once

#include <QStringList>

// The desktop's e-mail program: the application its MIME associations name for mailto:
// addresses (the mimeapps.list files and the desktop entries' cache under the XDG config and
// data folders, as xdg-mime reads them), as the command that starts it with no address to
// compose. Empty when none is registered.
QStringList desktopMailProgram();
