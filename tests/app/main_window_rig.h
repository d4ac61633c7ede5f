#pragma once

#include "app/main_window.h"
#include "store/global.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

inline QByteArray crlfLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

inline QByteArray accountsFile(const QStringList& names, const QStringList& enabled) {
    QStringList lines(260);
    for (int i = 0; i < names.size(); ++i) {
        lines[10 * (i + 1)] = names[i];
        lines[10 * (i + 1) + 1] = "pop." + names[i];
        lines[10 * (i + 1) + 7] = enabled[i];
    }
    return crlfLines(lines);
}

// One started main window over a temporary home.
struct Started {
    TempHome home;
    ScriptedPlatform platform;
    Global global;
    std::unique_ptr<MainWindow> window;

    void start() {
        platform.documents = home.documents();
        window = std::make_unique<MainWindow>(global, platform);
        window->Form_Load();
    }
    // Started and shown on the screen; false when the window never appeared.
    bool startShown() {
        start();
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    void setPassword(const QString& password) {
        global.settings[setting::ProgramPassword] = password;
    }
    // A control of the window by its object name.
    template <class Control> Control* find(const QString& name) const {
        auto* control = window->findChild<Control*>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }
    QPushButton* button(const QString& name) const { return find<QPushButton>(name); }
    void trigger(const QString& menuItem) const { find<QAction>(menuItem)->trigger(); }
    QString pane() const { return find<QPlainTextEdit>("Text1")->toPlainText(); }
    QListWidget* accounts() const { return find<QListWidget>("List2"); }
};

// While it lives, every modal window that opens is shown to `seen` and then closed as by
// Escape, so that a command opening one returns.
class ModalCloser {
public:
    explicit ModalCloser(std::function<void(QWidget*)> seen) : seen_(std::move(seen)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen_(modal);
                modal->close();
            }
        });
        timer_.start(10);
    }

private:
    std::function<void(QWidget*)> seen_;
    QTimer timer_;
};
