#include "video/dialogs/video_to_file_texts.h"

namespace orbisk {

const platform::LanguageText VideoToFileTexts::kTitle = {"视频录制", "錄影", "Video recording"};
const platform::LanguageText VideoToFileTexts::kStart = {"开始录像", "開始錄影", "Start"};
const platform::LanguageText VideoToFileTexts::kAudioDevices = {"管理音频设备", "管理音訊裝置",
                                                                "Manage audio devices"};
const platform::LanguageText VideoToFileTexts::kCancel = {"取消", "取消", "Cancel"};
const platform::LanguageText VideoToFileTexts::kPrompt = {
    "请单击开始录像按钮", "請按一下“開始錄影”按鈕",
    "Please click \"Start\" button to start video recording"};
const platform::LanguageText VideoToFileTexts::kElapsedPrefix = {
    "视频录制中，录制时长：", "錄影中,錄製時長為", "Video is being recorded "};
const platform::LanguageText VideoToFileTexts::kStop = {"停止录像", "停止", "Stop"};

const platform::LanguageText VideoToFileTexts::kStartFailed = {
    "无法开始录像：视频文件无法创建。", "無法開始錄影：影片檔案無法建立。",
    "The video recording could not be started: the video file could not be created."};
const platform::LanguageText VideoToFileTexts::kWriteFailed = {
    "录像已停止：视频文件无法写入（磁盘可能已满或已被移除）。",
    "錄影已停止：影片檔案無法寫入（磁碟可能已滿或已被移除）。",
    "The video recording has stopped: the video file could not be written (the disk may be "
    "full or removed)."};
const platform::LanguageText VideoToFileTexts::kPartKept = {
    "已保存停止前录制的部分。", "已保存停止前錄製的部分。",
    "What was recorded until then has been kept."};
const platform::LanguageText VideoToFileTexts::kNothingKept = {
    "没有保存任何录像。", "沒有保存任何錄影。", "Nothing of it could be kept."};

}  // namespace orbisk
