#include "app/continuous_shoot/shoot_texts.h"

namespace orbisk {
namespace {

constexpr platform::LanguageText Same(const char* chinese, const char* english) {
    return {chinese, chinese, english};
}

}  // namespace

const platform::LanguageText ShootTexts::kNewDocument =
    Same("检测到新文档，采集图像", "New doc. has been detected");
const platform::LanguageText ShootTexts::kNoDocument = Same("没有检测到新文档", "No doc.");
const platform::LanguageText ShootTexts::kSameDocument =
    Same("当前文档已扫描，请更换文档", "Current doc. has been scanned, please change doc.");
const platform::LanguageText ShootTexts::kDetecting = Same("检测文档图像", "Detecting image");
const platform::LanguageText ShootTexts::kNoVideo =
    Same("获取视频数据失败", "Failed to get video data");
const platform::LanguageText ShootTexts::kIdle =
    Same("请单击开始连拍", "Please click \"Start\" to continuous Capturing");
const platform::LanguageText ShootTexts::kShotCount =
    Same("当前已经拍摄%d张图像", "Already shot %d image now");
const platform::LanguageText ShootTexts::kNextShotIn =
    Same("%.1f秒后拍摄下一张图像", "Capture next pic in %.1f seconds");
const platform::LanguageText ShootTexts::kIntervalRange =
    Same("请输入0.5到3600之间的秒数", "Enter an interval between 0.5 and 3600 seconds");

const platform::LanguageText ShootTexts::kTitle = Same("连续拍摄", "Continuous capturing");
const platform::LanguageText ShootTexts::kModeGroup = Same("连拍方式", "Continuous mode");
const platform::LanguageText ShootTexts::kTimed = Same("定时", "Timing");
const platform::LanguageText ShootTexts::kSeconds = Same("秒", "Sec");
const platform::LanguageText ShootTexts::kSmart = Same("智能连拍", "Intelligent");
const platform::LanguageText ShootTexts::kStart = Same("开始连拍", "Start");
const platform::LanguageText ShootTexts::kPause = Same("暂停连拍", "Pause");
const platform::LanguageText ShootTexts::kStop = Same("停止连拍", "Stop");

}  // namespace orbisk
