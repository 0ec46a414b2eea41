#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// The rules of the preference pages that need no window: number fields and
// their refusals, the size list, the watermark colours and position.
namespace orbisk {

// Where a page's refusals go: a message box on the operator's screen, or a
// test's record.
using PageMessageSink = std::function<void(const QString& text)>;

// A number field's value: the whole text (blanks around it aside) as a
// decimal int, or none.
std::optional<int> ParseNumberField(const QString& text);

// The refusal of a number field, in `language`: "... between min and max",
// or, with no range, "... an integer".
QString NumberFieldMessage(int language, std::optional<std::pair<int, int>> range = std::nullopt);

// The value of a number field in min..max; none, with the refusal told to
// `sink`, when the text is no number or out of range.
std::optional<int> CheckedNumber(const QString& text, int minimum, int maximum, int language,
                                 const PageMessageSink& sink);

// The refusal of a storage folder that can't be written, naming it.
QString UnwritableFolderMessage(int language, const QString& folder);

// One size of the image page's list: the probe's index of it (-1 for a size
// the images are enlarged to) and the size.
struct SizeEntry {
    int probeIndex;
    int width;
    int height;
    friend bool operator==(const SizeEntry&, const SizeEntry&) = default;
};

// "%d*%d": how the list shows a size.
QString SizeText(int width, int height);

// Whether an entry of that width and height is listed.
bool HasResolution(int width, int height, const std::vector<SizeEntry>& entries);

// The YUYV sizes of the camera of that identity (device 0) as the resolution
// probe gives them, one entry a size, followed by the sizes its model's
// images are enlarged to; empty when the probe finds no size.
std::vector<SizeEntry> ProbeResolutionEntries(const QString& vid, const QString& pid);

// The item of `items` whose text is `text` regardless of case, searched from
// the second item on and then the first; -1 when none is.
int FindSizeItem(const QStringList& items, const QString& text);

// The watermark colours in the order of the colour list, as stored
// (0x00BBGGRR): red, green, blue, white, black.
inline constexpr int kWatermarkColours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x000000};
// The colour list's item of a stored colour; an unknown colour gives 0 (red).
int WatermarkColourIndex(int colour);
// The stored colour of an item; none selected gives red.
int WatermarkColourOf(int index);

// The watermark positions 0..4: top-left, top-right, bottom-left,
// bottom-right, centre.
inline constexpr int kWatermarkCentre = 4;
bool IsWatermarkPosition(int position);
// The position stored for the list's selection (-1 for none): the selection,
// else the loaded position when it is one, else the centre.
int StoredWatermarkPosition(int selection, int loaded);

// The watermark sizes accepted on OK.
inline constexpr int kMinWatermarkSize = 1;
inline constexpr int kMaxWatermarkSize = 2000;

// The text as one line: every line break becomes a blank, so that Sys.ini
// keeps one line a key.
QString SingleLine(const QString& text);

}  // namespace orbisk
