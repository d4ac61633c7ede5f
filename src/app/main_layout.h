#pragma once

#include "review/message_table.h"

#include <array>

// The main window's layout pass, in twips. The window size is the outer size (client area plus
// the sizing frame on each side and the caption bar), as the relations below are written.
struct WindowMetrics {
    double twipsPerPixel = 15.0;
    int framePixels = 0;
    int captionPixels = 0;
    int scrollBarPixels = 0;

    int frameTwips() const;
    int barTwips() const; // caption plus sizing frame
    double scrollBarTwips() const { return twipsPerPixel * scrollBarPixels; }
};

struct MainLayout {
    static constexpr int MinimumWidth = 9600;
    static constexpr int MinimumHeight = 7200;
    // Design values of the controls the pass moves.
    static constexpr int TextLeft = 2820;
    static constexpr int TextHeight = 2055;
    static constexpr int GridTop = 780;
    static constexpr int ListOffset = 300;

    int windowWidth = 0; // after snapping to the minimum
    int windowHeight = 0;
    int textTop = 0;
    int textWidth = 0;
    int labelTop = 0;
    int listTop = 0;
    int gridWidth = 0;
    int gridHeight = 0;
    std::array<int, col::Count> columnWidths{};

    static MainLayout compute(int windowWidth, int windowHeight, const WindowMetrics& metrics);
    // The progress bar's width on a track `trackWidth` wide with `done` of `total` messages
    // fetched; 0 of 0 is the start of the pass.
    static int progressBarWidth(int trackWidth, qint64 done, qint64 total);
};
