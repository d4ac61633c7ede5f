#pragma once

#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

// The program's icon in the desktop's tray (a StatusNotifierItem where the desktop has one):
// "Watch mail" starts and ends automatic mode, and the icon's tooltip tells the last counts.
// Automatic mode is then reached the same way on every desktop, whether or not the desktop
// tells the program that its window was minimised (Wayland never does). The actions exist,
// found by name, even where the desktop has no tray.
class WatchTray : public QObject {
    Q_OBJECT
public:
    explicit WatchTray(QWidget* window);
    ~WatchTray() override;

    // Whether the desktop shows tray icons, so that a window hidden to the tray can come back.
    bool available() const;
    // Ticks "Watch mail" to match automatic mode, without a signal.
    void setWatching(bool watching);
    void setCounts(const QString& counts);

Q_SIGNALS:
    void watchToggled(bool watch);
    void showRequested();

private:
    QMenu* menu_;
    QAction* watch_;
    QSystemTrayIcon* icon_;
};
