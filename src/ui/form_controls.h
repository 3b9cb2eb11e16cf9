#pragma once
// The pieces the dialogs are built from: buttons and captions placed in twips, pictures drawn in
// the style's own look, and the window placement.

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QString>

namespace norvik::ui {

// A button at left, top, width, height in twips; Return does not press it unless it has focus.
QPushButton* MakeButton(QWidget* parent, const QString& text, const QString& tip, int l, int t,
                        int w, int h);
// A caption in twips that grows to the right when the font needs more room than designed.
QLabel* MakeCaption(QWidget* parent, const QString& text, int l, int t, int w, int h);
// Two check boxes drawn by the style: ticked for "select all", empty for "unselect all".
QIcon CheckBoxesIcon(QWidget* widget, bool ticked);
// Moves a window to the middle of its screen.
void CentreOnScreen(QWidget* window);
// Moves a window over the middle of the owner's window; to the screen's middle without owner.
void CentreOver(QWidget* window, QWidget* owner);

}  // namespace norvik::ui
