#include "app/main_layout.h"

#include <cmath>

namespace {

constexpr int TextGap = 300;
constexpr int GridGap = 60;
// The progress bar at the start of the account pass, and what the track keeps free of it.
constexpr int StartBarWidth = 60;
constexpr int TrackMargin = 120;

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

int MainLayout::progressBarWidth(int trackWidth, qint64 done, qint64 total) {
    if (total <= 0)
        return StartBarWidth;
    return static_cast<int>(qMax<qint64>(0, qint64{trackWidth - TrackMargin} * done / total));
}
