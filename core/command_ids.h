#pragma once

// Control, command, menu, timer and hot-key ids of the program's windows. An
// id keeps its historical number, under which the layout tables, the dispatch
// tables and the dressing code find it. Every window has an id space of its
// own, so one number may stand for different controls in two windows (1032 is
// the camera switch here and the pause button of the continuous-shooting
// dialog); within a window each id is named here, once.
namespace orbisk::ids {

// The default and the cancel button of every dialog.
inline constexpr int ID_OK = 1;
inline constexpr int ID_CANCEL = 2;

// The main window.
namespace main_dlg {

// The owner-drawn buttons.
inline constexpr int IDC_PREFERENCES = 1041;
inline constexpr int IDC_VIDEO_PARAMS = 1003;
inline constexpr int IDC_EXIT = 1005;
inline constexpr int IDC_ROTATE_LEFT = 1011;
inline constexpr int IDC_ROTATE_180 = 1008;
inline constexpr int IDC_ROTATE_RIGHT = 1010;
inline constexpr int IDC_SWITCH_CAMERA = 1032;
inline constexpr int IDC_AUTO_FOCUS = 1081;
inline constexpr int IDC_BROWSE_IMAGES = 1033;
inline constexpr int IDC_RECOGNIZE_TEXT = 1034;
inline constexpr int IDC_PHOTOCOPY = 1023;
inline constexpr int IDC_CAPTURE_TO_PDF = 1024;
inline constexpr int IDC_CAPTURE = 1018;
inline constexpr int IDC_RECORD_VIDEO = 1083;
inline constexpr int IDC_CONTINUOUS_SHOOT = 1084;

// The video-control group: exposure.
inline constexpr int IDC_VIDEO_GROUP = 1051;
inline constexpr int IDC_EXPOSURE_LABEL = 1106;
inline constexpr int IDC_EXPOSURE_SLIDER = 1042;
inline constexpr int IDC_EXPOSURE_EDIT = 1043;
inline constexpr int IDC_AUTO_EXPOSURE = 1055;

// The naming group: the radio group runs prefix, time, custom (0, 1, 2).
inline constexpr int IDC_NAMING_GROUP = 1052;
inline constexpr int IDC_NAMING_PREFIX = 1058;
inline constexpr int IDC_NAMING_TIME = 1057;
inline constexpr int IDC_NAMING_CUSTOM = 1089;
inline constexpr int IDC_PREFIX_LABEL = 1108;
inline constexpr int IDC_PREFIX_COMBO = 1099;
inline constexpr int IDC_NAMING_STATIC = 1109;  // moved with the group on resize
inline constexpr int IDC_INDEX_EDIT = 1060;

// The crop group: none, automatic, custom.
inline constexpr int IDC_CROP_GROUP = 1053;
inline constexpr int IDC_CROP_NONE = 1045;
inline constexpr int IDC_CROP_AUTO = 1046;
inline constexpr int IDC_CROP_CUSTOM = 1047;

// The image-type group: colour, grey, black and white.
inline constexpr int IDC_COLOR_GROUP = 1012;
inline constexpr int IDC_COLOR_COLOR = 1013;
inline constexpr int IDC_COLOR_GRAY = 1014;
inline constexpr int IDC_COLOR_MONO = 1015;

// The collection and naming check boxes.
inline constexpr int IDC_MERGE = 1035;
inline constexpr int IDC_MULTI_PAGE_TIF = 1037;
inline constexpr int IDC_ONE_PDF = 1036;
inline constexpr int IDC_BARCODE_NAMING = 1048;

// The preview area, the portrait camera's host and the line at the bottom.
inline constexpr int IDC_PREVIEW = 1007;
inline constexpr int IDC_PORTRAIT_PREVIEW = 1078;
inline constexpr int IDC_BRAND_LABEL = 1094;

// A command with no control: the document camera's format page.
inline constexpr int ID_FORMAT_PROPERTIES = 1002;

// The commands of the keys of accelerator table 205: Space, "p", "o".
inline constexpr int ID_ACCEL_CAPTURE = 32774;
inline constexpr int ID_ACCEL_PHOTOCOPY = 32775;
inline constexpr int ID_ACCEL_CAPTURE_TO_PDF = 32778;

// The timer that follows the automatic exposure.
inline constexpr int IDT_EXPOSURE = 100;

// The system-wide hot keys kept reserved while the window lives: Windows key
// with Space, with F1 and with the keypad's divide.
inline constexpr int IDH_SPACE = 0;
inline constexpr int IDH_F1 = 1;
inline constexpr int IDH_DIVIDE = 2;

}  // namespace main_dlg

// The file menu of the thumbnail tiles (menu 147), used by the main window,
// the merge dialog and the shot list.
namespace tile_menu {
inline constexpr int ID_TILE_DELETE = 32771;
inline constexpr int ID_TILE_OPEN = 32773;
}  // namespace tile_menu

// The continuous-shooting dialog: ID_OK starts, ID_CANCEL stops.
namespace shoot_dlg {
inline constexpr int IDC_PAUSE = 1032;
inline constexpr int IDC_MODE_GROUP = 1139;
inline constexpr int IDC_MODE_TIMED = 1063;
inline constexpr int IDC_MODE_SMART = 1084;
inline constexpr int IDC_INTERVAL = 1026;
inline constexpr int IDC_SECONDS_LABEL = 1140;
inline constexpr int IDC_COUNTER = 1067;
inline constexpr int IDC_STATUS = 1068;
inline constexpr int IDT_COUNTDOWN = 2;
}  // namespace shoot_dlg

// The list of the shots of a timed run: ID_OK combines them.
namespace shot_list_dlg {
inline constexpr int IDC_SHOT_COUNT = 1064;
inline constexpr int IDC_SHOT_LIST = 1066;
}  // namespace shot_list_dlg

// The recording dialog: ID_OK starts, ID_CANCEL cancels or stops.
namespace record_dlg {
inline constexpr int IDC_STATUS = 1086;
inline constexpr int IDC_AUDIO_DEVICES = 1032;
}  // namespace record_dlg

// The merge dialog: ID_OK merges, ID_CANCEL drops the pair.
namespace merge_dlg {
inline constexpr int IDC_SWAP = 1020;
inline constexpr int IDC_ORIENTATION = 1021;
inline constexpr int IDC_PRINT = 1032;
}  // namespace merge_dlg

// The page-collection strip and its page menu (menu 212). The insert items
// run on from ID_PAGE_INSERT_FIRST ("before 1"), one a page.
namespace page_dlg {
inline constexpr int IDC_PREV_FOUR = 1093;
inline constexpr int IDC_PREV_ONE = 1091;
inline constexpr int IDC_NEXT_ONE = 1092;
inline constexpr int IDC_NEXT_FOUR = 1094;
inline constexpr int IDC_COMBINE = 1032;
inline constexpr int IDC_CLOSE = 1033;
inline constexpr int ID_PAGE_DELETE = 32786;
inline constexpr int ID_PAGE_INSERT_FIRST = 32787;
}  // namespace page_dlg

// The preferences dialog: ID_OK takes the pages over.
namespace preferences_dlg {
inline constexpr int IDC_TABS = 1117;
inline constexpr int IDC_DEFAULTS = 1032;
}  // namespace preferences_dlg

// The image-parameter page. The format radios stand for image formats 0 to 5.
namespace image_page {
inline constexpr int IDC_XDPI = 1038;
inline constexpr int IDC_YDPI = 1039;
inline constexpr int IDC_QUALITY = 1040;
inline constexpr int IDC_RESOLUTION = 1006;
inline constexpr int IDC_TRIM_LEFT = 1069;
inline constexpr int IDC_TRIM_TOP = 1070;
inline constexpr int IDC_TRIM_RIGHT = 1071;
inline constexpr int IDC_TRIM_BOTTOM = 1072;
inline constexpr int IDC_FORMAT_DEFAULT = 1063;
inline constexpr int IDC_FORMAT_BMP = 1022;
inline constexpr int IDC_FORMAT_JPG = 1075;
inline constexpr int IDC_FORMAT_PNG = 1076;
inline constexpr int IDC_FORMAT_TIF = 1021;
inline constexpr int IDC_FORMAT_GIF = 1111;
inline constexpr int IDC_XDPI_LABEL = 1130;
inline constexpr int IDC_YDPI_LABEL = 1131;
inline constexpr int IDC_QUALITY_LOW_LABEL = 1132;
inline constexpr int IDC_QUALITY_HIGH_LABEL = 1112;
inline constexpr int IDC_RESOLUTION_LABEL = 1133;
inline constexpr int IDC_TRIM_LEFT_LABEL = 1134;
inline constexpr int IDC_TRIM_TOP_LABEL = 1135;
inline constexpr int IDC_TRIM_RIGHT_LABEL = 1136;
inline constexpr int IDC_TRIM_BOTTOM_LABEL = 1137;
inline constexpr int IDC_FORMAT_LABEL = 1138;
}  // namespace image_page

// The watermark page.
namespace watermark_page {
inline constexpr int IDC_TEXT = 1090;
inline constexpr int IDC_POSITION = 1100;
inline constexpr int IDC_SIZE = 1101;
inline constexpr int IDC_COLOUR = 1102;
inline constexpr int IDC_TRANSPARENCY_SLIDER = 1103;
inline constexpr int IDC_TRANSPARENCY = 1104;
inline constexpr int IDC_TIME_STAMP = 1073;
inline constexpr int IDC_CUSTOM = 1091;
inline constexpr int IDC_CONTENT_GROUP = 1129;
inline constexpr int IDC_POSITION_LABEL = 1124;
inline constexpr int IDC_SIZE_LABEL = 1125;
inline constexpr int IDC_COLOUR_LABEL = 1126;
inline constexpr int IDC_TRANSPARENCY_LABEL = 1127;
}  // namespace watermark_page

// The advanced page.
namespace advanced_page {
inline constexpr int IDC_DATE_FOLDER = 1097;
inline constexpr int IDC_SHADOW = 1087;
inline constexpr int IDC_DEFORMATION = 1088;
inline constexpr int IDC_MULTI_OBJECT = 1113;
inline constexpr int IDC_BARCODE_TO_TEXT = 1107;
inline constexpr int IDC_FAST_MODE = 1116;
inline constexpr int IDC_ORIENTATION_CHECK = 1105;
inline constexpr int IDC_SOUND = 1055;
inline constexpr int IDC_KEEP_SOURCES = 1093;
inline constexpr int IDC_SPECK_SIZE = 1062;
inline constexpr int IDC_STORAGE_FOLDER = 1016;
inline constexpr int IDC_BROWSE_FOLDER = 1017;
inline constexpr int IDC_PRINT_ORIGINAL = 1079;
inline constexpr int IDC_PRINT_SCALED = 1080;
inline constexpr int IDC_LANGUAGE = 1118;
inline constexpr int IDC_PICTURE_IN_PICTURE = 1142;
inline constexpr int IDC_ENGLISH_OCR = 1143;
inline constexpr int IDC_STORAGE_GROUP = 1121;
inline constexpr int IDC_PRINT_GROUP = 1122;
inline constexpr int IDC_OTHER_GROUP = 1123;
inline constexpr int IDC_SPECK_SIZE_LABEL = 1119;
inline constexpr int IDC_LANGUAGE_LABEL = 1120;
}  // namespace advanced_page

// The prefix editor and the custom-name dialog.
namespace prefix_dlg {
inline constexpr int IDC_PREFIXES = 1090;
}  // namespace prefix_dlg
namespace file_name_dlg {
inline constexpr int IDC_NAME = 1090;
inline constexpr int IDC_NAME_LABEL = 1092;
}  // namespace file_name_dlg

// The identity-card reader test dialog: ID_CANCEL closes it.
namespace id_card_dlg {
inline constexpr int IDC_READ_CARD = 1144;
inline constexpr int IDC_PHOTO = 1143;
inline constexpr int IDC_CARD_TEXT = 1090;
}  // namespace id_card_dlg

// The automatic-exposure progress dialog.
namespace auto_exposure_dlg {
inline constexpr int IDC_PROGRESS = 1082;
}  // namespace auto_exposure_dlg

}  // namespace orbisk::ids
