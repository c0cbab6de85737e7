#pragma once

#include <QPixmap>
#include <QString>

// The small pictures of the grids, made once and shared: the sort arrows "BBUP" and
// "BBDOWN", and the calendar's step buttons "MOPREVYEAR", "MOPREVMONTH", "MONEXTMONTH",
// "MONEXTYEAR". An unknown name gives an empty picture.
QPixmap GridGlyph(const QString& name);
