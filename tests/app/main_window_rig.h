#pragma once

#include "app/main_window.h"
#include "store/text_file.h"
#include "windows/window_rig.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

// One started main window over a temporary home.
struct Started : Desktop {
    std::unique_ptr<MainWindow> window;

    void start() {
        window = std::make_unique<MainWindow>(global, platform, keyring);
        window->Form_Load();
    }
    // Started and shown on the screen; false when the window never appeared.
    bool startShown() {
        start();
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    // A data file written before the start, or while a window is open.
    void put(const QString& name, const QStringList& lines) const {
        QDir().mkpath(home.dataFolder());
        textfile::writeLines(home.dataFolder() + "/" + name, lines);
    }
    // A control of the window by its object name.
    template <class Control> Control* find(const QString& name) const {
        return ::find<Control>(*window, name);
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
