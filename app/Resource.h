#pragma once

// Resource and command identifiers of the host.

// Dialogs
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_BRENNIX_DIALOG = 102;
constexpr int IDD_FLASHCHECK = 145;

// Icon, menu, toolbar, bitmaps
constexpr int IDR_MAINFRAME = 128; // application icon
constexpr int IDR_MAINMENU = 130;
constexpr int IDR_TOOLBAR = 135;
constexpr int IDB_OPEN = 139;
constexpr int IDB_SAVEAS = 140;
constexpr int IDB_NEW = 141;
constexpr int IDB_SAVE = 142;
constexpr int IDB_GETPLAYER = 146; // download badge of the requirement notice

// Strings
constexpr int IDS_ABOUTBOX = 101;

// Controls
constexpr int IDC_SWF = 1000;
constexpr int IDC_VERSION = 1001;
constexpr int IDC_COPYRIGHT = 1008;
constexpr int IDC_PRODUCT = 1009;
constexpr int IDC_USEAGREEMENT_LABEL = 1010;
constexpr int IDC_USEAGREEMENT = 1013;
constexpr int IDC_ERRMSG = 1016;
constexpr int IDC_GETPLAYER = 1018;
constexpr int IDC_TRADE_MARK = 1019;
constexpr int IDC_ERRICON = 1020;

// Commands
constexpr int IDM_ABOUTBOX = 16; // system menu "Version Information"
constexpr int ID_MENU_FILE_SAVE = 32771;
constexpr int ID_MENU_EXIT = 32773;
constexpr int ID_MENU_SVRFILECHK = 32774;
constexpr int ID_MENU_ABOUT = 32775;
constexpr int ID_MENU_FILE_SAVEAS = 32776;
constexpr int ID_TOOL_FILE_OPEN = 32777;
constexpr int ID_TOOL_FILE_SAVE = 32778;
constexpr int ID_TOOL_FILE_SAVEAS = 32779;
constexpr int ID_MENU_FILE_OPEN = 32782;
constexpr int ID_MENU_FILE_NEW = 32783;
constexpr int ID_TOOL_FILE_NEW = 32784;

// Terms of use
constexpr int IDS_USEAGREEMENT1 = 32785;
constexpr int IDS_USEAGREEMENT2 = 32786;
constexpr int IDS_USEAGREEMENT3 = 32787;

// Timers
constexpr int TIMER_LOADPOLL = 1;
constexpr int TIMER_SVRFILECHK = 2;

// The window system takes command ids below 0x7FFF only; commands keep their own numbers
// everywhere else and are mapped here when they reach a menu or the toolbar.
constexpr int WxCommandId(int nCommandId) {
    return nCommandId >= 0x7000 ? nCommandId - 0x7000 : nCommandId;
}
