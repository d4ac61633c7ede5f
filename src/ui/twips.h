#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Lengths in twips (1440 to the inch) and pixels on one screen: the one place where the
// program's window lengths meet the screen's DPI.
class Twips {
public:
    static constexpr double TwipsPerInch = 1440.0;
    static constexpr double DefaultPerPixel = 15.0; // 96 DPI

    // `perPixel` is the screen's twips per pixel; a value that is not positive counts as 96 DPI.
    explicit Twips(double perPixel = DefaultPerPixel)
        : perPixel_(perPixel > 0 ? perPixel : DefaultPerPixel) {}

    double perPixel() const { return perPixel_; }

    // Rounded to the nearest whole unit.
    int toPixels(double twips) const;
    int fromPixels(double pixels) const;
    // Rounded up, for a window that must reach at least a length.
    int toPixelsAtLeast(double twips) const;

    QRect toPixels(int left, int top, int width, int height) const;
    QPoint toPixels(QPoint twips) const;
    QPoint fromPixels(QPoint pixels) const;
    QSize fromPixels(QSize pixels) const;

private:
    double perPixel_;
};
