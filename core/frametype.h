#ifndef FRAMETYPE_H
#define FRAMETYPE_H

#include <optional>

// The shape cut around every photo. The numbers are those projects and settings store.
enum class FrameType { Rect = 1, Rounded = 2, Scallop = 3 };

// The frame type a stored number names; nothing for a number that names none.
constexpr std::optional<FrameType> frameTypeFromNumber(int number)
{
    if (number < int(FrameType::Rect) || number > int(FrameType::Scallop))
        return std::nullopt;
    return FrameType(number);
}

#endif // FRAMETYPE_H
