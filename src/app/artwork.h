#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

// The pictures of the window: the three flags on the language buttons and the program's icon.
namespace artwork {

enum class Flag { UnitedKingdom, Denmark, Germany };

inline constexpr QRgb FlagFrameGrey = qRgb(132, 132, 132);

// The 26 x 14 picture: a 24 x 12 flag in a one-pixel grey frame, the frame's colour (that of the
// bottom-left pixel) made transparent.
QImage flagPicture(Flag flag);
QIcon flagIcon(Flag flag);

// The program's icon: a 23 x 28 stopwatch.
QImage programIcon();

}  // namespace artwork
