#include "ui/twips.h"

#include <cmath>

int Twips::toPixels(double twips) const {
    return static_cast<int>(std::lround(twips / perPixel_));
}

int Twips::fromPixels(double pixels) const {
    return static_cast<int>(std::lround(pixels * perPixel_));
}

int Twips::toPixelsAtLeast(double twips) const {
    return static_cast<int>(std::ceil(twips / perPixel_));
}

QRect Twips::toPixels(int left, int top, int width, int height) const {
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

QPoint Twips::toPixels(QPoint twips) const {
    return QPoint(toPixels(twips.x()), toPixels(twips.y()));
}

QPoint Twips::fromPixels(QPoint pixels) const {
    return QPoint(fromPixels(pixels.x()), fromPixels(pixels.y()));
}

QSize Twips::fromPixels(QSize pixels) const {
    return QSize(fromPixels(pixels.width()), fromPixels(pixels.height()));
}
