#pragma once

#include <wx/font.h>

class wxWindow;
class wxDialog;

// The dialog templates' font: `base` (the system's face) at 9 points.
wxFont TemplateFont(const wxFont& base);

// A copy of `base` whose character cell (ascent plus descent, the height a text line takes)
// is at most nCellHeight pixels, as large as that allows. The dialogs give their fonts this
// way: as cell heights in pixels, not as point sizes.
wxFont MakeCellHeightFont(const wxFont& base, int nCellHeight, const wxWindow* pMeasure);

// The cell height of a font as text drawn in pMeasure takes it.
int MeasureCellHeight(const wxFont& font, const wxWindow* pMeasure);

// Places a dialog over its parent, else over the application's main window, else in the middle
// of the screen.
void CentreDialog(wxDialog* pDlg);
