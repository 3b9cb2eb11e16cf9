#pragma once
// Window geometry given in twips, as the dialogs were laid out: 15 twips are one pixel at 96 dpi.

#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace norvik::ui {

// Twips per pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;

// Pixels of a length in twips.
constexpr int Px(int twips) {
    return twips / kTwipsPerPixel;
}
// Places a widget at left, top, width, height in twips of its parent.
inline void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(QRect(Px(left), Px(top), Px(width), Px(height)));
}
// The dialogs' font: a sans serif of 11 pixels, the size the twips layout was drawn for.
inline void UseDialogFont(QWidget* window) {
    QFont font("Liberation Sans");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    window->setFont(font);
}
// Gives a window the fixed client size in twips.
inline void FixTwipsSize(QWidget* window, int width, int height) {
    window->setFixedSize(QSize(Px(width), Px(height)));
}

}  // namespace norvik::ui
