#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

// The colours and drawn forms the lesson movies share.
namespace quorvane::course::art {

inline const QColor kSkyTop(251, 248, 241);
inline const QColor kSkyBottom(232, 241, 250);
inline const QColor kBandLeft(46, 111, 142);
inline const QColor kBandRight(66, 147, 168);
inline const QColor kTitle(255, 255, 255);
inline const QColor kSubtitle(220, 239, 245);
inline const QColor kText(31, 58, 95);
inline const QColor kHighlight(217, 130, 43);
inline const QColor kMeaning(91, 107, 122);
inline const QColor kWrong(196, 64, 52);
inline const QColor kWrongText(128, 128, 128);
inline const QColor kRight(39, 140, 90);
inline const QColor kChoice(255, 255, 255, 235);
inline const QColor kChoiceHover(255, 240, 214);
inline const QColor kChoiceBorder(150, 178, 200);
inline const QColor kChoiceDim(240, 240, 240, 200);
inline const QColor kChoiceRight(222, 244, 229);

QPainterPath circle(double radius);
QPainterPath roundedRect(const QRectF& area, double radius);
// The rim of a rounded rectangle, `width` thick, inside its area.
QPainterPath rim(const QRectF& area, double radius, double width);
// A tick and a cross about `size` pixels wide, centred on the origin.
QPainterPath tick(double size);
QPainterPath cross(double size);
// An arrow pointing right, from x = 0, for the steps of a change.
QPainterPath arrow(double length);
// A circular arrow, the replay sign, centred on the origin.
QPainterPath replaySign(double radius);

} // namespace quorvane::course::art
