#pragma once

#include <QString>

class CleanCopies;
class Platform;

// Handing a stored message (a downloaded message file or a Trash copy) to other programs as
// the message itself: opened by the desktop's handler for .eml files from the run's private
// folder of clean copies, or saved where the user chooses, so that a message deleted by
// mistake can be taken into any mail program. What fails is told in a warning box titled
// `title`.
namespace handover {

void open(Platform& platform, CleanCopies& copies, const QString& storedPath, const QString& title);

// The save dialog offers a name made from the message's subject in the documents folder.
void saveAs(Platform& platform, const QString& storedPath, const QString& subject,
            const QString& title);

} // namespace handover
