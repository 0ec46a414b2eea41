// The page-collection dialog's texts. The page menu reads the same in every
// language.

#include "documents/dialogs/multi_page_texts.h"

#include "platform/language_text.h"

namespace orbisk {
namespace {

constexpr MultiPageTexts kTexts[] = {
    {"存为多页文件", "合并图像", "取消", "前一组", "前一张", "后一张", "后一组", "删除", "插入",
     "%1之前", "无法保存合并的文件 %1。\n所有页面都已保留，请检查保存位置后重试。"},
    {"儲存到多頁文件", "組合圖像", "取消", "前四張", "前一張", "後一張", "后四張", "删除", "插入",
     "%1之前", "無法儲存組合的檔案 %1。\n所有頁面都已保留，請檢查儲存位置後重試。"},
    {"Save in MultiPage File", "Combine", "Cancel", "Last Four", "Last One", "Next One",
     "Next Four", "删除", "插入", "%1之前",
     "The pages could not be combined into %1.\nAll pages are kept; check the save folder and "
     "try again."},
};

}  // namespace

const MultiPageTexts& MultiPageTextsFor(int language) {
    return kTexts[platform::IsLanguageIndex(language) ? language : 0];
}

}  // namespace orbisk
