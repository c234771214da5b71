// Colours and fonts every window of the client shares: the form colour, the grid colours and
// the 12-pixel Song face with its CJK fallbacks.
#pragma once

#include "client/data/dbtypes.h"

#include <QColor>
#include <QFont>
#include <QIcon>

// Colours are stored the way the forms' settings have always written them: a number whose low
// byte is red, then green, then blue.
QColor DelphiColor(int bgr);
int ToDelphiColor(const QColor &color);

// The light blue of every window (16307387).
inline constexpr int clFormColor = 16307387;
// The footer row of list grids (15724519).
inline constexpr int clFooterColor = 15724519;

QColor FormColor();
QColor ButtonFaceColor();
QColor HighlightColor();
QColor HighlightTextColor();

// The Song face at 12 pixels; where Song is missing (Linux) the Noto CJK faces stand in.
QFont RootFont();
// A Song face at a point size, bold when asked (page headers, titles).
QFont SongFont(int pixelSize, bool bold = false);

// Qt alignment flags of a field or column alignment, vertically centred.
int QtAlignment(TAlignment alignment);

// The product's icon, drawn in the splash's colours: the application's windows and every
// child window of the workspace carry it.
QIcon ProductIcon();
