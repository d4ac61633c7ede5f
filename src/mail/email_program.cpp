#include "mail/email_program.h"

#include "platform/platform.h"
#include "store/settings.h"

#include <QProcess>

namespace {

const QLatin1String DesktopMailProgram("mailto:");
const QLatin1String NoProgramTitle("Email program");
const QLatin1String NoProgram("No email program could be started. Choose one as \"Email "
                              "program:\" under Edit > Preferences.      ");

} // namespace

// The program is started directly, never through a shell. When the setting names no program
// on this system (the stored default names one from another platform), the desktop's own
// e-mail program is opened instead; when that fails too the user is told which setting to
// change.
void startEmailProgram(const Settings& settings, Platform& platform) {
    const QString command = settings[setting::EmailProgram];
    if (command.isEmpty())
        return;
    QStringList words = QProcess::splitCommand(command);
    const QString program = words.isEmpty() ? QString() : words.takeFirst();
    if (!program.isEmpty() && platform.programExists(program) &&
        !platform.startProgram(program, words))
        return;
    if (platform.shellOpen(DesktopMailProgram))
        platform.messageBox(NoProgram, Platform::Buttons::Ok, Platform::Icon::Information,
                            NoProgramTitle);
}
