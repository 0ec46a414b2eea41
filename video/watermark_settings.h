#pragma once

#include <QString>

#include <cstdint>

namespace orbisk {

// Watermark modes.
inline constexpr int kWaterMarkText = 0;
inline constexpr int kWaterMarkPicture = 1;
inline constexpr int kWaterMarkTime = 2;
inline constexpr int kWaterMarkTimeAndText = 3;

// What a watermark box shows and where: passed by value.
struct WaterMarkSettings {
    // 0x00BBGGRR, red in the low byte (as the settings store colours).
    uint32_t colour = 0x000000FF;
    int32_t mode = kWaterMarkText;
    // Frame pixels; the box is centred on the region's centre.
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    // The text of modes 0 and 3; the picture file's path (UTF-8 on disk) for
    // mode 1.
    QString text;
    // Percent: 0 opaque, 100 invisible.
    int32_t transparency = 50;
    // The font's pixel height.
    int32_t fontHeight = 32;
    // Radians.
    float angle = 0;

    friend bool operator==(const WaterMarkSettings&, const WaterMarkSettings&) = default;
};

}  // namespace orbisk
