#include "res/Pictures.h"

#include "app/Resource.h"

#include <cstddef>
#include <wx/icon.h>
#include <wx/image.h>

#include "PicturesData.inc"

namespace {

// Colour of the toolbar pictures that is shown as transparent.
const wxColour kTransparentGrey(192, 192, 192);

wxBitmap from_png(const unsigned char* data, std::size_t size) {
    // NewFromPNGData decodes through wxImage on this platform, which needs the PNG handler.
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    return wxBitmap::NewFromPNGData(data, size);
}

wxBitmap masked(const unsigned char* data, std::size_t size) {
    wxBitmap bmp = from_png(data, size);
    if (bmp.IsOk())
        bmp.SetMask(new wxMask(bmp, kTransparentGrey));
    return bmp;
}

} // namespace

wxBitmap LoadResBitmap(int nId) {
    switch (nId) {
    case IDB_NEW:
        return masked(k_new, sizeof k_new);
    case IDB_OPEN:
        return masked(k_open, sizeof k_open);
    case IDB_SAVE:
        return masked(k_save, sizeof k_save);
    case IDB_SAVEAS:
        return masked(k_saveas, sizeof k_saveas);
    case IDB_GETPLAYER:
        return from_png(k_getengine, sizeof k_getengine);
    default:
        return wxBitmap();
    }
}

wxIconBundle LoadAppIcon() {
    struct Entry {
        const unsigned char* data;
        std::size_t size;
    };
    const Entry entries[] = {{k_app_16, sizeof k_app_16},
                             {k_app_32, sizeof k_app_32},
                             {k_app_48, sizeof k_app_48},
                             {k_app_128, sizeof k_app_128},
                             {k_app_256, sizeof k_app_256}};
    wxIconBundle bundle;
    for (const Entry& e : entries) {
        wxIcon icon;
        icon.CopyFromBitmap(from_png(e.data, e.size));
        if (icon.IsOk())
            bundle.AddIcon(icon);
    }
    return bundle;
}
