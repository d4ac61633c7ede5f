#include "ui/qt_platform.h"

#include "ui/desktop_mail_program.h"
#include "ui/twips.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>

#include <algorithm>
#include <climits>

namespace {

const QString NotificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString AppIcon = QStringLiteral("org.mailweir.Mailweir");
constexpr int NotifyReplyMs = 2000; // a service that has not answered by then is not there

QMessageBox::Icon toQt(Platform::Icon icon) {
    switch (icon) {
    case Platform::Icon::Information:
        return QMessageBox::Information;
    case Platform::Icon::Warning:
        return QMessageBox::Warning;
    case Platform::Icon::Critical:
        return QMessageBox::Critical;
    case Platform::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A file or folder that exists opens as a file; anything else (mailto:, http:) as an address.
QUrl toUrl(const QString& fileOrAddress) {
    if (QFileInfo::exists(fileOrAddress))
        return QUrl::fromLocalFile(QFileInfo(fileOrAddress).absoluteFilePath());
    return QUrl(fileOrAddress);
}

} // namespace

Platform::Answer QtPlatform::messageBox(const QString& text, Buttons buttons, Icon icon,
                                        const QString& title) {
    QMessageBox box(
        toQt(icon), title, text,
        buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner_);
    const int answer = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtPlatform::inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText, QPoint twipsPosition, bool secret) {
    QInputDialog dialog(owner_);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setTextEchoMode(secret ? QLineEdit::Password : QLineEdit::Normal);
    dialog.move(Twips(twipsPerPixel()).toPixels(twipsPosition));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

QString QtPlatform::fileOpenDialog(const QString& title, const QString& folder,
                                   const QString& filter) {
    return QFileDialog::getOpenFileName(owner_, title, folder, filter);
}

// The suffix of the suggested name is added to a name typed without one.
QString QtPlatform::fileSaveDialog(const QString& title, const QString& suggested,
                                   const QString& filter) {
    QFileDialog dialog(owner_, title, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
    dialog.selectFile(suggested);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

bool QtPlatform::shellOpen(const QString& fileOrAddress) {
    return !QDesktopServices::openUrl(toUrl(fileOrAddress));
}

bool QtPlatform::startProgram(const QString& program, const QStringList& arguments) {
    return !QProcess::startDetached(program, arguments);
}

bool QtPlatform::programExists(const QString& program) {
    // A folder is "executable" too, but cannot be started.
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo file(program);
        return file.isFile() && file.isExecutable();
    }
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QStringList QtPlatform::desktopMailProgram() {
    return ::desktopMailProgram();
}

QString QtPlatform::documentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

double QtPlatform::twipsPerPixel() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 0.0;
    return dpi > 0 ? Twips::TwipsPerInch / dpi : Twips::DefaultPerPixel;
}

int QtPlatform::verticalScrollBarWidth() {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// The desktop's window manager draws the frame and caption; the style's figures for them are
// the closest the toolkit offers.
int QtPlatform::sizingFrameHeight() {
    return QApplication::style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
}

int QtPlatform::captionHeight() {
    return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

bool QtPlatform::placesWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool QtPlatform::notify(const QString& title, const QString& body, qint64 seconds) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return true;
    QDBusMessage call = QDBusMessage::createMethodCall(
        NotificationsService, NotificationsPath, NotificationsService, QStringLiteral("Notify"));
    const int expireMs = static_cast<int>(std::clamp<qint64>(seconds, 0, INT_MAX / 1000) * 1000);
    call << QCoreApplication::applicationName() << 0u << AppIcon << title << body << QStringList()
         << QVariantMap() << expireMs;
    return bus.call(call, QDBus::Block, NotifyReplyMs).type() != QDBusMessage::ReplyMessage;
}

// On or off, never counted: a run and the socket's error handler may both switch it off.
void QtPlatform::setBusy(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
