#pragma once

#include <QAccessible>

class QWidget;

namespace quorvane {

// Gives a widget of our own the role that assistive technologies (AT-SPI on
// Linux) announce, where Qt would call it an anonymous filler: a top-level
// window becomes a window, the player surface an animation. Call it before
// anything asks the widget for its accessible interface (in its
// constructor). The same library puts open context menus in the tree, under
// the application.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);

} // namespace quorvane
