#include "app/main_layout.h"

#include <cmath>

namespace {

constexpr int TextGap = 300;
constexpr int GridGap = 60;

int roundTwips(double twips) {
    return static_cast<int>(std::lround(twips));
}

} // namespace

int WindowMetrics::frameTwips() const {
    return roundTwips(framePixels * twipsPerPixel);
}

int WindowMetrics::barTwips() const {
    return roundTwips((captionPixels + framePixels) * twipsPerPixel);
}

MainLayout MainLayout::compute(int windowWidth, int windowHeight, const WindowMetrics& metrics) {
    MainLayout layout;
    layout.windowWidth = qMax(windowWidth, MinimumWidth);
    layout.windowHeight = qMax(windowHeight, MinimumHeight);
    const int frame = metrics.frameTwips();
    const int bar = metrics.barTwips();
    layout.textTop = layout.windowHeight - frame - bar - frame - TextHeight - TextGap;
    layout.labelTop = layout.textTop;
    layout.listTop = layout.labelTop + ListOffset;
    layout.textWidth = layout.windowWidth - 2 * frame - TextLeft;
    layout.gridHeight = layout.textTop - GridTop - GridGap;
    layout.gridWidth = layout.windowWidth - 2 * frame;
    layout.columnWidths = MessageTable::columnWidths(layout.gridWidth, metrics.scrollBarTwips());
    return layout;
}
