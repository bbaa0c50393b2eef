#include "ui/Placement.h"

#include "platform/PrivateProfile.h"

#include <algorithm>
#include <climits>

namespace {

constexpr std::int32_t DefaultLeft = 10;
constexpr std::int32_t DefaultTop = 10;

// One axis of the clamping: the window's start and length against the area's far edge.
// The sum is taken in 64 bits so that stored values near the limits cannot overflow.
void clampAxis(std::int32_t& start, std::int32_t& length, std::int32_t farEdge) {
    if (std::int64_t(start) + length <= farEdge)
        return;
    if (length < farEdge) {
        start = farEdge - length;
    } else {
        start = 0;
        length = farEdge;
    }
}

} // namespace

TPlacement clampToWorkArea(TPlacement p, const TRect& workArea, const QMargins& frame) {
    if (p.Left > workArea.Right)
        p.Left = 0;
    if (p.Top > workArea.Bottom)
        p.Top = 0;
    const std::int32_t frameWidth = frame.left() + frame.right();
    const std::int32_t frameHeight = frame.top() + frame.bottom();
    std::int32_t outerWidth = std::int32_t(
        std::clamp<std::int64_t>(std::int64_t(p.Width) + frameWidth, INT32_MIN, INT32_MAX));
    std::int32_t outerHeight = std::int32_t(
        std::clamp<std::int64_t>(std::int64_t(p.Height) + frameHeight, INT32_MIN, INT32_MAX));
    clampAxis(p.Left, outerWidth, workArea.Right);
    clampAxis(p.Top, outerHeight, workArea.Bottom);
    if (outerWidth != std::int64_t(p.Width) + frameWidth)
        p.Width = outerWidth - frameWidth;
    if (outerHeight != std::int64_t(p.Height) + frameHeight)
        p.Height = outerHeight - frameHeight;
    return p;
}

TPlacement AblakBetoltes(const QString& settingsFile, std::string_view section, std::int32_t width,
                         std::int32_t height, const TRect& workArea, const QMargins& frame) {
    TPlacement stored;
    stored.Left = readProfileInteger(settingsFile, section, "Left", DefaultLeft);
    stored.Top = readProfileInteger(settingsFile, section, "Top", DefaultTop);
    stored.Width = readProfileInteger(settingsFile, section, "Width", width);
    stored.Height = readProfileInteger(settingsFile, section, "Height", height);
    return clampToWorkArea(stored, workArea, frame);
}

void AblakMentes(const QString& settingsFile, std::string_view section,
                 const TPlacement& placement) {
    writeProfileInteger(settingsFile, section, "Left", placement.Left);
    writeProfileInteger(settingsFile, section, "Top", placement.Top);
    writeProfileInteger(settingsFile, section, "Width", placement.Width);
    writeProfileInteger(settingsFile, section, "Height", placement.Height);
}

TPosition PozicioBetoltes(const QString& settingsFile, std::string_view section) {
    return {readProfileInteger(settingsFile, section, "Left", DefaultLeft),
            readProfileInteger(settingsFile, section, "Top", DefaultTop)};
}

void PozicioMentes(const QString& settingsFile, std::string_view section,
                   const TPosition& position) {
    writeProfileInteger(settingsFile, section, "Left", position.Left);
    writeProfileInteger(settingsFile, section, "Top", position.Top);
}
