#include "mail/email_program.h"

#include "platform/platform.h"
#include "store/settings.h"

#include <QProcess>

namespace {

const QLatin1String NoProgramTitle("Email program");
const QLatin1String NoProgram("No email program could be started. Choose one as \"Email "
                              "program:\" under Edit > Preferences.      ");

// The program and its arguments: the whole setting when it names an existing program (a path
// such as "/opt/My Mail/mail", blanks kept as stored), otherwise its first word and the rest
// as arguments, split at blanks with double quotes grouping (a stored command line such as
// thunderbird -P "my profile"); nothing when neither names a program here. The setting is
// never run through a shell, and no "~" or variable is expanded.
QStringList programCall(const QString& command, Platform& platform) {
    if (platform.programExists(command))
        return {command};
    const QStringList words = QProcess::splitCommand(command);
    return !words.isEmpty() && platform.programExists(words.first()) ? words : QStringList();
}

// True when the command could not be started (or is empty).
bool start(QStringList command, Platform& platform) {
    if (command.isEmpty())
        return true;
    const QString program = command.takeFirst();
    return platform.startProgram(program, command);
}

} // namespace

// When the setting names no program on this system (the stored default names one from another
// platform), or it cannot be started, the desktop's own e-mail program is started instead,
// with nothing to compose; when there is none either, the user is told which setting to
// change.
void startEmailProgram(const Settings& settings, Platform& platform) {
    const QString command = settings[setting::EmailProgram];
    if (command.isEmpty())
        return;
    if (start(programCall(command, platform), platform) &&
        start(platform.desktopMailProgram(), platform))
        platform.messageBox(NoProgram, Platform::Buttons::Ok, Platform::Icon::Information,
                            NoProgramTitle);
}
