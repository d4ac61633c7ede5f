// The main window's layout pass: a burst of resizes runs one pass after the last of them, which
// snaps the window to its minimum size and places the controls that follow its size.
#include "app/main_window.h"

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

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

// Window managers without a minimised state ignore the request, and no state change arrives:
// automatic mode starts here all the same, and showing the window normally stops it.
void MainWindow::watchMail() {
    showMinimized();
    runs_.automatic().start();
}

void MainWindow::Form_Resize() {
    if (isMinimized()) {
        runs_.automatic().start();
        return;
    }
    runs_.automatic().stop();
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
