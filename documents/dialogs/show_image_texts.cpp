#include "documents/dialogs/show_image_texts.h"

namespace orbisk {

const ShowImageTexts& MergeDialogTexts() {
    static constexpr ShowImageTexts kTexts{
        {"图像合并", "圖像合併", "Image combination"},
        {"打印", "列印", "Print"},
        {"左右合并", "左右合併", "Horizontal"},
        {"上下合并", "上下合併", "Vertical"},
        {"需要2张图片才能合并", "需要2張圖片才能合併", "You need 2 pictures for combination"},
        {"交换位置", "交換順序", "Swap"},
        {"取消", "取消", "Cancel"},
        {"确定", "確認", "OK"},
        "删除文件",
        "浏览文件",
    };
    return kTexts;
}

}  // namespace orbisk
