// Ids of the program's resources, controls and commands.
#pragma once

#include "platform/Types.h"

// Dialog templates.
constexpr UINT IDD_ABOUTBOX = 100;
constexpr UINT IDD_MAIN_DIALOG = 136;
constexpr UINT IDD_MESSAGE_DIALOG = 137;

// Icon, menu and strings.
constexpr UINT IDR_MAINFRAME = 128; // the application's icon
constexpr UINT IDR_MAIN_MENU = 129;
constexpr UINT IDS_ABOUTBOX = 101;  // the system menu's About item
constexpr UINT IDS_PROMPT_OPEN = 32771;
constexpr UINT IDS_PROMPT_CLOSE = 32772;
constexpr UINT IDS_PROMPT_MAP_INFO = 32773;
constexpr UINT IDS_PROMPT_EXIT = 32776;

// Controls.
constexpr int IDC_TAG_TREE = 1028;
constexpr int IDC_MESSAGE = 1029;

// Menu commands.
constexpr UINT ID_TOOLS_MAP_INFO = 32773;
constexpr UINT ID_FILE_OPEN_MAPFILE = 32774;
constexpr UINT ID_FILE_CLOSE_MAPFILE = 32775;
constexpr UINT ID_FILE_EXIT = 32776;
constexpr UINT ID_TOOLS_HEX_FLOAT_CONVERTER = 32777;
constexpr UINT ID_TOOLS_REFLEXIVE_CALCULATOR = 32778;
constexpr UINT ID_ABOUT = 32780;
constexpr UINT ID_TOOLS_DIRECT_INJECT = 32783;

// The About item of the main window's system menu.
constexpr UINT IDM_ABOUTBOX = 0x0010;
