#pragma once
// Window geometry given in twips, as the dialogs were laid out: 15 twips are one pixel at 96 dpi
// for the 11-pixel font the layout was drawn for. A larger system font (or a scaled desktop)
// makes every dialog larger by the same factor, so that no text is cut.

#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace norvik::ui {

// Twips per pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;

// How much larger the system font is than the one the layout was drawn for (at least 1), in height
// and in the width of the dialogs' own words, whichever is more.
inline double LayoutScale() {
    QFont drawnFor("Liberation Sans");
    drawnFor.setStyleHint(QFont::SansSerif);
    drawnFor.setPixelSize(11);
    const QFontMetricsF drawn(drawnFor), system(QApplication::font());
    const QString words = "Exportspezifikation: An vorhandene Datei anfügen Zeitraum von";
    if (drawn.height() <= 0 || drawn.horizontalAdvance(words) <= 0) return 1.0;
    const double scale = std::max(system.height() / drawn.height(),
                                  system.horizontalAdvance(words) / drawn.horizontalAdvance(words));
    return std::clamp(scale, 1.0, 4.0);
}
// Pixels of a length in twips.
inline int Px(int twips) {
    return static_cast<int>(std::lround(twips * LayoutScale() / kTwipsPerPixel));
}
// Places a widget at left, top, width, height in twips of its parent.
inline void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(QRect(Px(left), Px(top), Px(width), Px(height)));
}
// Gives a window the fixed client size in twips.
inline void FixTwipsSize(QWidget* window, int width, int height) {
    window->setFixedSize(QSize(Px(width), Px(height)));
}

}  // namespace norvik::ui
