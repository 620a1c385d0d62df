#include "automation/native/xl_enumerations.h"

#include <cmath>
#include <string>

#include "automation/object_model.h"

namespace xls::native {

namespace {

[[noreturn]] void refuse(const char* member, std::int32_t value) {
    throw automation::AutomationError(
        automation::errnum::kApplicationDefined,
        std::string(member) + ": " + std::to_string(value) + " is not an allowed value");
}

// Line styles and weights of the object model.
constexpr std::int32_t kLineContinuous = 1;
constexpr std::int32_t kLineDash = -4115;
constexpr std::int32_t kLineDashDot = 4;
constexpr std::int32_t kLineDashDotDot = 5;
constexpr std::int32_t kLineDot = -4118;
constexpr std::int32_t kLineDouble = -4119;
constexpr std::int32_t kLineSlantDashDot = 13;
constexpr std::int32_t kLineNone = -4142;
constexpr std::int32_t kWeightHairline = 1;
constexpr std::int32_t kWeightThin = 2;
constexpr std::int32_t kWeightMedium = -4138;
constexpr std::int32_t kWeightThick = 4;

// The width of a digit of the standard font (ＭＳ Ｐゴシック 11 pt) in
// pixels, and the padding a column adds around its text.
constexpr double kDigitPixels = 8.0;
constexpr double kPaddingPixels = 5.0;

}  // namespace

std::uint8_t horizontalAlignmentCode(std::int32_t v) {
    switch (v) {
        case 1:
            return 0;  // general
        case -4131:
            return 1;  // left
        case -4108:
            return 2;  // center
        case -4152:
            return 3;  // right
        case 5:
            return 4;  // fill
        case -4130:
            return 5;  // justify
        case 7:
            return 6;  // centre across selection
        case -4117:
            return 7;  // distributed
    }
    refuse("HorizontalAlignment", v);
}

std::uint8_t verticalAlignmentCode(std::int32_t v) {
    switch (v) {
        case -4160:
            return 0;  // top
        case -4108:
            return 1;  // center
        case -4107:
            return 2;  // bottom
        case -4130:
            return 3;  // justify
        case -4117:
            return 4;  // distributed
    }
    refuse("VerticalAlignment", v);
}

std::uint8_t rotationCode(std::int32_t v) {
    switch (v) {
        case -4128:
            return 0;  // horizontal
        case -4166:
            return 255;  // vertical, letters stacked
        case -4171:
            return 90;  // upward
        case -4170:
            return 180;  // downward
    }
    if (v >= 0 && v <= 90) return static_cast<std::uint8_t>(v);
    if (v < 0 && v >= -90) return static_cast<std::uint8_t>(90 - v);
    refuse("Orientation", v);
}

std::uint8_t paletteIndex(std::int32_t colorIndex) {
    if (colorIndex == automation::xl::kColorIndexAutomatic) return 64;
    if (colorIndex >= 1 && colorIndex <= 56) return static_cast<std::uint8_t>(colorIndex + 7);
    refuse("ColorIndex", colorIndex);
}

std::uint8_t fillPatternCode(std::int32_t pattern) {
    if (pattern == -4142) return 0;  // none
    if (pattern == 1) return 1;      // solid
    // The other patterns in the object model's numbering.
    switch (pattern) {
        case -4125:
            return 2;  // 50% gray
        case -4124:
            return 3;  // 75% gray
        case -4126:
            return 4;  // 25% gray
        case -4128:
            return 5;  // horizontal
        case -4166:
            return 6;  // vertical
        case -4121:
            return 7;  // down
        case -4162:
            return 8;  // up
        case 9:
            return 9;  // checker
        case 10:
            return 10;  // semi-gray 75
        case 11:
            return 11;  // light horizontal
        case 12:
            return 12;  // light vertical
        case 13:
            return 13;  // light down
        case 14:
            return 14;  // light up
        case 15:
            return 15;  // grid
        case 16:
            return 16;  // crisscross
        case 17:
            return 17;  // 16% gray
        case 18:
            return 18;  // 8% gray
    }
    refuse("Pattern", pattern);
}

std::uint8_t borderStyleCode(std::int32_t lineStyle, std::int32_t weight) {
    switch (lineStyle) {
        case kLineNone:
            return 0;
        case kLineContinuous:
            if (weight == kWeightHairline) return 7;
            if (weight == kWeightMedium) return 2;
            if (weight == kWeightThick) return 5;
            return 1;
        case kLineDash:
            return weight == kWeightMedium || weight == kWeightThick ? 8 : 3;
        case kLineDot:
            return 4;
        case kLineDouble:
            return 6;
        case kLineDashDot:
            return weight == kWeightMedium || weight == kWeightThick ? 10 : 9;
        case kLineDashDotDot:
            return weight == kWeightMedium || weight == kWeightThick ? 12 : 11;
        case kLineSlantDashDot:
            return 13;
    }
    refuse("LineStyle", lineStyle);
}

std::int32_t lineStyleOf(std::uint8_t code) {
    switch (code) {
        case 0:
            return kLineNone;
        case 3:
        case 8:
            return kLineDash;
        case 4:
            return kLineDot;
        case 6:
            return kLineDouble;
        case 9:
        case 10:
            return kLineDashDot;
        case 11:
        case 12:
            return kLineDashDotDot;
        case 13:
            return kLineSlantDashDot;
    }
    return kLineContinuous;
}

std::int32_t weightOf(std::uint8_t code) {
    switch (code) {
        case 7:
            return kWeightHairline;
        case 2:
        case 8:
        case 10:
        case 12:
        case 13:
            return kWeightMedium;
        case 5:
        case 6:
            return kWeightThick;
    }
    return kWeightThin;
}

std::uint16_t columnWidthUnits(double characters) {
    if (!(characters >= 0 && characters <= 255))
        refuse("ColumnWidth", static_cast<int>(characters));
    if (characters == 0) return 0;
    double units = std::trunc((characters * kDigitPixels + kPaddingPixels) / kDigitPixels * 256.0);
    return static_cast<std::uint16_t>(std::min(units, 65535.0));
}

std::uint16_t rowHeightTwips(double points) {
    if (!(points >= 0 && points <= 409.5)) refuse("RowHeight", static_cast<int>(points));
    return static_cast<std::uint16_t>(std::lround(points * 20.0));
}

}  // namespace xls::native
