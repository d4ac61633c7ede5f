// The main window's layout pass: a burst of resizes runs one pass after the last of them, which
// snaps the window to its minimum size and places the controls that follow its size.
#include "app/main_window.h"

#include "app/watch_tray.h"
#include "platform/platform.h"
#include "ui/grid_view.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

constexpr int Label5Width = 2715;
constexpr int Label5Height = 375;
constexpr int List2Width = 2715;
constexpr int List2Height = 1740;

} // namespace

WindowMetrics MainWindow::metrics() const {
    WindowMetrics m;
    m.twipsPerPixel = twips_.perPixel();
    m.framePixels = platform_.sizingFrameHeight();
    m.captionPixels = platform_.captionHeight();
    m.scrollBarPixels = platform_.verticalScrollBarWidth();
    return m;
}

QSize MainWindow::windowTwips() const {
    const WindowMetrics m = metrics();
    const QSize inner = twips_.fromPixels(size());
    return QSize(inner.width() + 2 * m.frameTwips(),
                 inner.height() + m.barTwips() + m.frameTwips());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// Minimising starts automatic mode where the desktop tells of it (Wayland never does, and its
// state changes say nothing of minimising): the user coming back is the window becoming active
// again, which every desktop tells.
void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        startWatching();
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !isMinimized())
        stopWatching();
}

// Window managers without a minimised state ignore the request: automatic mode starts here all
// the same, and the window becoming active again stops it.
void MainWindow::watchMail() {
    showMinimized();
    startWatching();
}

// With a tray to come back from, watching hides the window there; without one it minimises.
void MainWindow::watchFromTray(bool watch) {
    if (!watch) {
        stopWatching();
        showNormal();
        raise();
        activateWindow();
        return;
    }
    if (tray_->available())
        hide();
    else
        showMinimized();
    startWatching();
}

void MainWindow::startWatching() {
    runs_.automatic().start();
    tray_->setWatching(true);
}

void MainWindow::stopWatching() {
    runs_.automatic().stop();
    tray_->setWatching(false);
}

void MainWindow::Form_Resize() {
    if (isMinimized())
        return;
    Timer1->stop();
    Timer1->start();
}

void MainWindow::Timer1_Timer() {
    Timer1->stop();
    if (loadState_ == QLatin1String("Loading")) {
        loadState_.clear();
        return;
    }
    if (isMinimized())
        return;
    const QSize outer = windowTwips();
    const MainLayout layout = MainLayout::compute(outer.width(), outer.height(), metrics());
    if (layout.windowWidth != outer.width() || layout.windowHeight != outer.height()) {
        const QSize grow = QSize(layout.windowWidth, layout.windowHeight) - outer;
        resize(width() + twips_.toPixelsAtLeast(grow.width()),
               height() + twips_.toPixelsAtLeast(grow.height()));
    }
    applyLayout(layout);
}

void MainWindow::applyLayout(const MainLayout& layout) {
    placeAtDesign(Text1, MainLayout::TextLeft, layout.textTop, layout.textWidth,
                  MainLayout::TextHeight);
    placeAtDesign(Label5, 0, layout.labelTop, Label5Width, Label5Height);
    placeAtDesign(List2, 0, layout.listTop, List2Width, List2Height);
    placeAtDesign(MSFlexGrid1, 0, MainLayout::GridTop, layout.gridWidth, layout.gridHeight);
    table_.setColumnWidths(layout.gridWidth, metrics().scrollBarTwips());
}
