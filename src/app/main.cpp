#include "app/main_window.h"
#include "auth/qt_keyring.h"
#include "store/global.h"
#include "ui/qt_platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(MainWindow::Title));
    QtPlatform platform;
    Global global;
    QtKeyring keyring;
    MainWindow window(global, platform, keyring);
    platform.setOwner(&window);
    if (window.Form_Load())
        return 1;
    window.show();
    return QApplication::exec();
}
