#include "app/main_dlg/message_texts.h"

#include "core/command_ids.h"
#include "core/sys_settings.h"

namespace orbisk {

using platform::LanguageText;

void LoadMessageTexts(MessageTexts& texts, int language) {
    if (!platform::IsLanguageIndex(language)) return;
    struct Row {
        int index;
        LanguageText text;
    };
    static constexpr Row kTable[] = {
        {kMsgNoDevice,
         {"没有找到高拍仪设备，请检查高拍仪设备是否连接正确",
          "沒有找到高拍儀設備,請檢查高拍儀設備是否連接正確",
          "Please check whether the device is properly connected"}},
        {kMsgTempFolderFailed,
         {"创建临时文件夹失败", "創建暫存檔案夾失敗", "Create a temporary folder fails"}},
        {kMsgDeviceBusy,
         {"高拍仪设备可能被其他程序占用，请检查", "高拍儀設備已被其他程式佔用",
          "The device may be used by other programs, please check!"}},
        {kMsgBadBarcodeName,
         {"没有识别出条码，或识别出的条码内容不适合作为文件名！",
          "没有识别出条码，或识别出的条码内容不适合作为文件名！",
          "Contents of the bar code is empty, or is not suitable as file name!"}},
        {kMsgMakingTif,
         {"正在把图像合并为多页TIF文件", "正在把圖像合併為多頁TIF檔", "Making Multi-page .TIF"}},
        {kMsgMakingPdf,
         {"正在把图像合并为多页PDF文件", "正在把圖像合併為多頁PDF檔", "Making Multi-page .PDF"}},
        {kMsgPortraitBusy,
         {"人像设备可能被其他程序占用，请检查", "人像設備可能被其他程式佔用，請檢查",
          "POR-device may be used by other programs, please check!"}},
        {kMsgCombining, {"正在进行图像合并", "正在進行圖像合併", "Combining 2 images to 1"}},
        {kMsgDocResolution,
         {"文档设备可能被占用，所选分辨率无法启用", "文檔設備可能被佔用，所選解析度無法啟用",
          "DOC-device may be occupied, selected resolution can not be enabled"}},
        {kMsgPorResolution,
         {"人像设备可能被占用，所选分辨率无法启用", "人像設備可能被佔用，所選解析度無法啟用",
          "POR-device may be occupied, selected resolution can not be enabled"}},
        {kMsgOneRecorder,
         {"只能使用一个设备录制视频", "祗能使用一個設備進行錄影！",
          "When recording video, only one device can be use !"}},
        {kMsgUnplugged,
         {"高拍仪设备被拔出或接触不良，请检查！", "高拍儀設備被拔出或接觸不良，請檢查！",
          "USB connection is not reliable, please check!"}},
    };
    for (const Row& row : kTable) texts[row.index] = row.text.In(language);
}

std::span<const ControlText> ControlCaptions() {
    using namespace ids::main_dlg;
    static constexpr ControlText kTable[] = {
        {IDC_VIDEO_GROUP, {"视频控制", "視訊流控制", "Image control"}},
        {IDC_EXPOSURE_LABEL, {"曝光度", "曝光度", "EV"}},
        {IDC_AUTO_EXPOSURE, {"自动", "自動", "Auto"}},
        {IDC_NAMING_GROUP, {"命名方式", "命名方式", "File Name Rule"}},
        {IDC_NAMING_PREFIX, {"固定前缀", "固定首碼", "Prefix"}},
        {IDC_NAMING_TIME, {"时间命名", "時間戳記", "Datetime"}},
        {IDC_NAMING_CUSTOM, {"自由命名", "個人化", "Custom"}},
        {IDC_PREFIX_LABEL, {"前缀：", "首碼：", "Prefix:"}},
        {IDC_CROP_GROUP, {"图像切边", "圖像切邊", "Image Trimming"}},
        {IDC_CROP_NONE, {"不切边", "不切邊", "None"}},
        {IDC_CROP_AUTO, {"校正去边", "自動切邊", "Auto"}},
        {IDC_CROP_CUSTOM, {"自定义", "自訂切邊", "Manual"}},
        {IDC_COLOR_GROUP, {"图像类型", "圖像類型", "Image type"}},
        {IDC_COLOR_COLOR, {"彩色", "彩色", "Color"}},
        {IDC_COLOR_GRAY, {"灰度", "灰度", "Grayscale"}},
        {IDC_COLOR_MONO, {"黑白", "黑白", "Mono"}},
        {IDC_MERGE, {"合并图像", "合併圖像", "2 in 1"}},
        {IDC_MULTI_PAGE_TIF, {"保存为多页TIF文件", "保存為多頁TIF檔", "multipage TIF"}},
        {IDC_BARCODE_NAMING, {"条码识别", "條碼識別", "Barcode"}},
        {IDC_ONE_PDF, {"保存为多页PDF文件", "保存為多頁PDF檔", "multipage PDF"}},
    };
    return kTable;
}

std::span<const ControlText> ButtonTooltips() {
    using namespace ids::main_dlg;
    // Rotate left turns counter-clockwise, rotate right clockwise.
    static constexpr ControlText kTable[] = {
        {IDC_ROTATE_LEFT, {"左转90°", "Rotate 90° left", "Rotate 90° CCW"}},
        {IDC_ROTATE_180, {"上下翻转", "Upside down", "Rotate 180°"}},
        {IDC_ROTATE_RIGHT, {"右转90°", "Rotate 90° right", "Rotate 90° CW"}},
        {IDC_SWITCH_CAMERA, {"切换镜头", "Change device", "Camera Swtich"}},
        {IDC_AUTO_FOCUS, {"自动对焦控制", "Auto-focus control", "Auto-focus"}},
    };
    return kTable;
}

std::span<const LanguageButton> LanguageButtons() {
    using namespace ids::main_dlg;
    static constexpr LanguageButton kTable[] = {
        {IDC_PREFERENCES,
         {{{151, true, 179, 166, 0}, {280, true, 278, 282, 0}, {281, true, 279, 283, 0}}},
         {"设置", "設定", "Settings"}},
        {IDC_VIDEO_PARAMS,
         {{{152, false, 180, 167, 0}, {256, false, 254, 258, 0}, {257, false, 255, 259, 0}}},
         {"视频参数", "視訊參數", "Video"}},
        {IDC_EXIT,
         {{{153, false, 181, 168, 0}, {250, false, 248, 252, 0}, {251, false, 249, 253, 0}}},
         {"退出", "結束", "Exit"}},
        {IDC_BROWSE_IMAGES,
         {{{158, false, 186, 173, 0}, {226, false, 224, 228, 0}, {227, false, 225, 229, 0}}},
         {"浏览", "瀏覽", "Browse"}},
        {IDC_RECOGNIZE_TEXT,
         {{{160, false, 188, 175, 0}, {262, false, 260, 264, 0}, {263, false, 261, 265, 0}}},
         {"文字识别", "文字識別", "OCR"}},
        {IDC_PHOTOCOPY,
         {{{161, false, 189, 176, 0}, {268, false, 266, 270, 0}, {269, false, 267, 271, 0}}},
         {"复印", "影印", "Copy"}},
        {IDC_CAPTURE_TO_PDF,
         {{{162, false, 190, 177, 0}, {274, false, 272, 276, 0}, {275, false, 273, 277, 0}}},
         {"拍照转PDF", "拍照轉PDF", "Scan to PDF"}},
        {IDC_CAPTURE,
         {{{164, false, 191, 178, 0}, {232, false, 230, 234, 0}, {233, false, 231, 235, 0}}},
         {"拍照", "拍照", "Scan"}},
        {IDC_RECORD_VIDEO,
         {{{207, false, 206, 208, 0}, {238, false, 236, 240, 0}, {239, false, 237, 241, 0}}},
         {"录像", "錄影", "Record"}},
        {IDC_CONTINUOUS_SHOOT,
         {{{220, false, 221, 222, 0}, {244, false, 242, 246, 0}, {245, false, 243, 247, 0}}},
         {"连拍", "連拍", "Auto scan"}},
    };
    return kTable;
}

std::span<const FixedButton> FixedButtons() {
    using namespace ids::main_dlg;
    static constexpr FixedButton kTable[] = {
        {IDC_ROTATE_LEFT, {154, false, 182, 169, 0}, "⟲"},
        {IDC_ROTATE_180, {155, false, 183, 170, 0}, "⇅"},
        {IDC_ROTATE_RIGHT, {156, false, 184, 171, 0}, "⟳"},
        {IDC_SWITCH_CAMERA, {157, false, 185, 172, 0}, "⇄"},
        {IDC_AUTO_FOCUS, {202, false, 201, 203, 0}, "◎"},
    };
    return kTable;
}

QString BrandLineText(int language, const QString& labelText) {
    static constexpr LanguageText kOwnership = {
        "", "本程式版權歸其開發者所有，保留一切權利。",
        "This program is the property of its developers. All rights reserved."};
    return language == int(UiLanguage::SimplifiedChinese) ? labelText : kOwnership.In(language);
}

}  // namespace orbisk
