#include "res/StringTable.h"

#include "app/Resource.h"
#include "dialogs/PlayerRequirement.h"

std::string LoadStringRes(int nId) {
    switch (nId) {
    case IDS_ABOUTBOX:
        return "Version Information";
    case ID_MENU_EXIT:
        return "Exit";
    case ID_MENU_SVRFILECHK:
        return "サーバ上の更新ファイルの確認";
    case ID_TOOL_FILE_OPEN:
        return "Open";
    case ID_TOOL_FILE_SAVE:
        return "Save";
    case ID_TOOL_FILE_SAVEAS:
        return "名前を付けて保存";
    case ID_MENU_FILE_OPEN:
        return "Open\nOpen";
    case ID_MENU_FILE_NEW:
        return "New\nNew";
    case ID_TOOL_FILE_NEW:
        return "New";
    case IDS_USEAGREEMENT1:
        return "Please use this system only after reading and understanding the following terms "
               "and conditions.\r\n\r\n";
    case IDS_USEAGREEMENT2: {
        // Item 4 names the component this build actually needs (the web engine).
        const std::string item4 = "4. WebKitGTK Version " + EngineVersionText(kMinEngineVersion) +
                                  " or later is required to use this system.\r\n\r\n";
        return "<Terms of Use>\r\n"
               "1. This system is intended for users who are currently using or considering our "
               "products.\r\n"
               "2. This system can be used as a reference model when configuring TARVOS-N "
               "series. Confirm the resulting configurations with applicable catalogs and "
               "manuals.\r\n"
               "3. We do not take responsibility for any resulting damages incurred by using "
               "this system.\r\n" +
               item4;
    }
    case IDS_USEAGREEMENT3:
        return "<Copyright>\r\n"
               "1. This system is protected by the copyright of its maker.\r\n"
               "2. Do not copy, modify, distribute or sell this system, in whole or in part, "
               "without the maker's written permission.\r\n";
    default:
        return {};
    }
}
