#include "app/watch_tray.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>

namespace {

const QString AppId = QStringLiteral("org.mailweir.Mailweir");
const QString Title = QStringLiteral("Mailweir");
const QString WatchCaption = QStringLiteral("&Watch mail");
const QString ShowCaption = QStringLiteral("&Show Mailweir");
const QString NewLine = QStringLiteral("\n");

} // namespace

WatchTray::WatchTray(QWidget* window)
    : QObject(window), menu_(new QMenu(window)), watch_(menu_->addAction(WatchCaption)),
      icon_(new QSystemTrayIcon(this)) {
    setObjectName(QStringLiteral("WatchTray"));
    menu_->setObjectName(QStringLiteral("TrayMenu"));
    watch_->setObjectName(QStringLiteral("TrayWatch"));
    watch_->setCheckable(true);
    QAction* show = menu_->addAction(ShowCaption);
    show->setObjectName(QStringLiteral("TrayShow"));
    connect(watch_, &QAction::triggered, this, &WatchTray::watchToggled);
    connect(show, &QAction::triggered, this, &WatchTray::showRequested);
    // The installed icon, or one of the style's where the program runs from its build folder.
    icon_->setIcon(
        QIcon::fromTheme(AppId, QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon)));
    icon_->setToolTip(Title);
    icon_->setContextMenu(menu_);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger)
                    Q_EMIT showRequested();
            });
    if (available())
        icon_->show();
}

WatchTray::~WatchTray() = default;

bool WatchTray::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void WatchTray::setWatching(bool watching) {
    watch_->setChecked(watching);
}

void WatchTray::setCounts(const QString& counts) {
    icon_->setToolTip(Title + NewLine + counts);
}
