// Ids of the program's resources, controls and commands.
#pragma once

#include "platform/Types.h"

// Dialog templates.
constexpr UINT IDD_ABOUTBOX = 100;
constexpr UINT IDD_MAIN_DIALOG = 136;
constexpr UINT IDD_MESSAGE_DIALOG = 137;
constexpr UINT IDD_TAG_INFO = 138;
constexpr UINT IDD_DIRECT_INJECT = 140;
constexpr UINT IDD_MAP_INFO = 130;
constexpr UINT IDD_HEX_FLOAT = 131;
constexpr UINT IDD_REFLEXIVE_CALCULATOR = 132;
constexpr UINT IDD_STRING_INDEX = 134;
constexpr UINT IDD_EXPORT = 135;
constexpr UINT IDD_OPTIONS = 142;

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
// The Direct Injection dialog.
constexpr int IDC_INJECT_INTO_TREE = 1057;
constexpr int IDC_GET_FROM_TREE = 1058;
constexpr int IDC_OPEN_MAP = 1059;
constexpr int IDC_CLOSE_MAP = 1060;
constexpr int IDC_INJECT = 1061;
constexpr int IDC_UPDATE_TAG_INFO = 1062;
constexpr int IDC_OLD_TAG_SIZE = 1063;
constexpr int IDC_NEW_TAG_SIZE = 1064;
constexpr int IDC_INJECT_STATUS = 1065;
constexpr int IDC_DEPENDENCY_LIST = 1078;

// Controls of Tag Controls (template 138).
constexpr int IDC_TAG_NAME = 1030;
constexpr int IDC_META_OFFSET = 1031;
constexpr int IDC_STRING_OFFSET = 1032;
constexpr int IDC_PAGE_OFFSET = 1033;
constexpr int IDC_VALUE = 1034;
constexpr int IDC_META_SIZE = 1035;
constexpr int IDC_REVERT = 1036;
constexpr int IDC_SAVE_CHANGES = 1037;
constexpr int IDC_IDENTIFIER = 1038;
constexpr int IDC_TYPE1 = 1039;
constexpr int IDC_UPDATE_NAME_LOCATION = 1040;
constexpr int IDC_TYPE3 = 1042;
constexpr int IDC_TYPE2 = 1043;
constexpr int IDC_SCAN_METADATA = 1044;
constexpr int IDC_CLEAR_SCANNER = 1045;
constexpr int IDC_INJECT_METADATA = 1046;
constexpr int IDC_SAVE_METADATA = 1047;
constexpr int IDC_CORRECT_METADATA = 1048;
constexpr int IDC_RECURSIVE = 1049;
constexpr int IDC_UPDATE_ITEM = 1052;
constexpr int IDC_FLOAT_PRECISION = 1054;
constexpr int IDC_FIND_DEPENDENCIES = 1056;
constexpr int IDC_FIND_REFLEXIVES = 1057;
constexpr int IDC_FIND_LONEIDS = 1058;
constexpr int IDC_FIND_FLOATS = 1059;
constexpr int IDC_FIND_SHORTS = 1060;
constexpr int IDC_FIND_POINTERS = 1061;
constexpr int IDC_SCANNER_TREE = 1074;
constexpr int IDC_SCAN_TAG = 1075;
constexpr int IDC_SCAN_CLASS = 1076;
constexpr int IDC_SCAN_VALUE = 1077;

// Controls of the tool dialogs.
constexpr int IDC_MAPINFO_SAVE = 1000;
constexpr int IDC_MAPINFO_TAG_COUNT = 1001;
constexpr int IDC_MAPINFO_INDEX_OFFSET = 1002;
constexpr int IDC_MAPINFO_FILENAME = 1003;
constexpr int IDC_MAPINFO_MAGIC = 1004;
constexpr int IDC_MAPINFO_NICKNAME = 1005;
constexpr int IDC_MAPINFO_INDEX_MAGIC = 1006;
constexpr int IDC_MAPINFO_MAP_NAME = 1007;
constexpr int IDC_MAPINFO_VERSION = 1008;
constexpr int IDC_MAPINFO_FORMAT = 1009;
constexpr int IDC_MAPINFO_MAP_TYPE = 1010;
constexpr int IDC_MAPINFO_SPMP = 1011;
constexpr int IDC_MAPINFO_BUILD_DATE = 1012;
constexpr int IDC_MAPINFO_EOF_POSITION = 1013;
constexpr int IDC_MAPINFO_EOF_SPACE = 1014;
constexpr int IDC_MAPINFO_REVERT = 3;
constexpr int IDC_HEXFLOAT_TO_HEX = 1006;
constexpr int IDC_HEXFLOAT_TO_FLOAT = 1007;
constexpr int IDC_HEXFLOAT_DECIMAL = 1008;
constexpr int IDC_HEXFLOAT_HEX = 1009;
constexpr int IDC_REFLEXIVE_OFFSET = 1011;
constexpr int IDC_REFLEXIVE_REFLEXIVE = 1012;
constexpr int IDC_REFLEXIVE_MAGIC = 1013;
constexpr int IDC_REFLEXIVE_TO_REFLEXIVE = 1014;
constexpr int IDC_REFLEXIVE_TO_OFFSET = 1015;
constexpr int IDC_STRINGINDEX_UPDATE = 1019;
constexpr int IDC_STRINGINDEX_REVERT = 1020;
constexpr int IDC_STRINGINDEX_LOAD = 1021;
constexpr int IDC_STRINGINDEX_PROGRESS = 1023;
constexpr int IDC_STRINGINDEX_START = 1024;
constexpr int IDC_STRINGINDEX_END = 1025;
constexpr int IDC_STRINGINDEX_TEXT = 1026;
constexpr int IDC_EXPORT_INDEX = 1027;
constexpr int IDC_EXPORT_STRING_INDEX = 1028;
constexpr int IDC_EXPORT_METADATA = 1029;
constexpr int IDC_EXPORT_RAW_DATA = 1030;
constexpr int IDC_EXPORT_OFFSET_LIST = 1031;
constexpr int IDC_EXPORT_HEADER = 1032;
constexpr int IDC_OPTIONS_SAVE = 1079;
constexpr int IDC_OPTIONS_TREE_COLOR = 1080;
constexpr int IDC_OPTIONS_LIST_COLOR = 1081;
constexpr int IDC_OPTIONS_CHOOSE_TREE = 1083;
constexpr int IDC_OPTIONS_CHOOSE_LIST = 1084;

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
