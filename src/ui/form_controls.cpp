#include "ui/form_controls.h"

#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

#include "ui/twips.h"

namespace norvik::ui {

QPushButton* MakeButton(QWidget* parent, const QString& text, const QString& tip, int l, int t,
                        int w, int h) {
    auto* button = new QPushButton(text, parent);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    PlaceTwips(button, l, t, w, h);
    return button;
}

QLabel* MakeCaption(QWidget* parent, const QString& text, int l, int t, int w, int h) {
    auto* label = new QLabel(text, parent);
    PlaceTwips(label, l, t, w, h);
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    return label;
}

QIcon CheckBoxesIcon(QWidget* widget, bool ticked) {
    QStyle* style = widget->style();
    const int side = std::clamp(style->pixelMetric(QStyle::PM_IndicatorWidth), 8, 11);
    // Two boxes, the second one offset: "all of them".
    const int offset = side / 2 + 1;
    QPixmap picture(side + offset, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QStyleOptionButton option;
    option.initFrom(widget);
    option.state = QStyle::State_Enabled | (ticked ? QStyle::State_On : QStyle::State_Off);
    for (int x : {0, offset}) {
        option.rect = QRect(x, 0, side, side);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, widget);
    }
    painter.end();
    return QIcon(picture);
}

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void CentreOver(QWidget* window, QWidget* owner) {
    if (!owner || !owner->window()->isVisible()) {
        CentreOnScreen(window);
        return;
    }
    QRect frame = window->frameGeometry();
    frame.moveCenter(owner->window()->frameGeometry().center());
    window->move(frame.topLeft());
}

}  // namespace norvik::ui
