// Conversions between the models and Qt: texts (UTF-8, CR line breaks),
// fonts, colours, alignment and key codes.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/forms/types.h"

class QKeyEvent;

namespace forms::qt {

// A model text for display: CR LF, CR and LF become line breaks.
QString toDisplayText(std::string_view text);
QString toQString(std::string_view text);
std::string toModelText(const QString& text);

QFont toQFont(const StdFont& font);
// An explicit colour; nullopt for a system colour (the style's own).
std::optional<QColor> toQColor(std::int32_t color);

// Horizontal alignment of a model alignment (0 left, 1 right, 2 centre),
// absolute so that a right-to-left widget does not flip it again.
Qt::Alignment toQtAlignment(std::int16_t alignment);

// The toolkit's key code and shift bits of a Qt key event (0 when the key
// has no code).
std::int16_t keyCodeOf(const QKeyEvent& event);
std::int16_t shiftOf(Qt::KeyboardModifiers modifiers);

// Character index (code points) from a UTF-16 position in a text, and back.
std::int32_t characterIndex(const QString& text, int utf16Position);
int utf16Position(const QString& text, std::int32_t characterIndex);

}  // namespace forms::qt
