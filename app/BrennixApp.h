#pragma once

#include <wx/app.h>

// The application: creates the main window; the program ends when that window ends.
class CBrennixApp : public wxApp {
public:
    bool OnInit() override;
    int OnExit() override;
};

wxDECLARE_APP(CBrennixApp);
