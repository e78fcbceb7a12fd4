#include "dialogs/DialogUtil.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/window.h>

wxFont TemplateFont(const wxFont& base) {
    wxFont font(base);
    font.SetPointSize(9);
    return font;
}

int MeasureCellHeight(const wxFont& font, const wxWindow* pMeasure) {
    int width = 0;
    int height = 0;
    pMeasure->GetTextExtent("Mg", &width, &height, nullptr, nullptr, &font);
    return height;
}

wxFont MakeCellHeightFont(const wxFont& base, int nCellHeight, const wxWindow* pMeasure) {
    // The em size is a little smaller than the cell; start at the cell height and step down.
    wxFont font(base);
    for (int em = nCellHeight; em > 1; --em) {
        font.SetPixelSize(wxSize(0, em));
        if (MeasureCellHeight(font, pMeasure) <= nCellHeight)
            return font;
    }
    font.SetPixelSize(wxSize(0, 1));
    return font;
}

void CentreDialog(wxDialog* pDlg) {
    if (pDlg->GetParent()) {
        pDlg->CentreOnParent();
        return;
    }
    wxWindow* pMain = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    if (pMain && pMain != pDlg && pMain->IsShown()) {
        const wxRect area = pMain->GetScreenRect();
        const wxSize size = pDlg->GetSize();
        pDlg->Move(area.x + (area.width - size.x) / 2, area.y + (area.height - size.y) / 2);
        return;
    }
    pDlg->CentreOnScreen();
}
