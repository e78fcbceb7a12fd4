#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

// Pictures built into the program.

// IDB_NEW, IDB_OPEN, IDB_SAVE, IDB_SAVEAS: 16 x 15 toolbar pictures whose light grey
// RGB(192, 192, 192) is masked out. IDB_GETPLAYER: the 88 x 31 download badge.
// Any other id gives an invalid bitmap.
wxBitmap LoadResBitmap(int nId);

// Icon IDR_MAINFRAME (128) in 16, 32, 48, 128 and 256 pixels.
wxIconBundle LoadAppIcon();
