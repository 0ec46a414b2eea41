#include "ui/preferences/preference_rules.h"

#include "core/camera_models.h"
#include "platform/language_text.h"
#include "ui/file_name_rules.h"
#include "video/resolution_probe.h"

#include <algorithm>
#include <iterator>

namespace orbisk {
namespace {

constexpr platform::LanguageText kIntegerRange = {"请输入一个介于 %1 和 %2 之间的整数。",
                                                  "請輸入一個介於 %1 和 %2 之間的整數。",
                                                  "Please enter an integer between %1 and %2."};
constexpr platform::LanguageText kInteger = {"请输入一个整数。", "請輸入一個整數。",
                                             "Please enter an integer."};
constexpr platform::LanguageText kUnwritableFolder = {"无法写入存储文件夹：\n%1",
                                                      "無法寫入儲存資料夾：\n%1",
                                                      "The storage folder can't be written:\n%1"};

}  // namespace

std::optional<int> ParseNumberField(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString NumberFieldMessage(int language, std::optional<std::pair<int, int>> range) {
    if (!range) return kInteger.In(language);
    return kIntegerRange.In(language).arg(range->first).arg(range->second);
}

std::optional<int> CheckedNumber(const QString& text, int minimum, int maximum, int language,
                                 const PageMessageSink& sink) {
    const std::optional<int> value = ParseNumberField(text);
    if (value && *value >= minimum && *value <= maximum) return value;
    if (sink) sink(NumberFieldMessage(language, std::pair{minimum, maximum}));
    return std::nullopt;
}

QString UnwritableFolderMessage(int language, const QString& folder) {
    return kUnwritableFolder.In(language).arg(folder);
}

QString SizeText(int width, int height) { return QStringLiteral("%1*%2").arg(width).arg(height); }

bool HasResolution(int width, int height, const std::vector<SizeEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const SizeEntry& e) { return e.width == width && e.height == height; });
}

std::vector<SizeEntry> ProbeResolutionEntries(const QString& vid, const QString& pid) {
    std::vector<SizeEntry> entries;
    CResolutionProbe probe;
    const int count = probe.CountYuy2Sizes(vid, pid, 0);
    for (int i = 0; i < count; ++i) {
        int width = 0, height = 0;
        if (probe.GetYuy2Size(i, width, height) != 0) continue;
        if (!HasResolution(width, height, entries)) entries.push_back({i, width, height});
    }
    if (entries.empty()) return entries;
    // Added without a duplicate test: the camera may stream the size too.
    for (const QSize& size : EnlargedSizesOf(vid, pid)) {
        entries.push_back({-1, size.width(), size.height()});
    }
    return entries;
}

int FindSizeItem(const QStringList& items, const QString& text) {
    return FindPrefixIndex(items, text);
}

int WatermarkColourIndex(int colour) {
    const auto* at = std::find(std::begin(kWatermarkColours), std::end(kWatermarkColours), colour);
    return at == std::end(kWatermarkColours) ? 0 : static_cast<int>(at - kWatermarkColours);
}

int WatermarkColourOf(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kWatermarkColours))) {
        return kWatermarkColours[0];
    }
    return kWatermarkColours[index];
}

bool IsWatermarkPosition(int position) { return position >= 0 && position <= kWatermarkCentre; }

int StoredWatermarkPosition(int selection, int loaded) {
    if (IsWatermarkPosition(selection)) return selection;
    return IsWatermarkPosition(loaded) ? loaded : kWatermarkCentre;
}

QString SingleLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (c == '\n' || c == '\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = ' ';
        }
    }
    return line;
}

}  // namespace orbisk
