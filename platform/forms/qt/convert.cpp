#include "platform/forms/qt/convert.h"

#include <QKeyEvent>

#include "platform/forms/input.h"

namespace forms::qt {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString toDisplayText(std::string_view text) {
    QString s = toQString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

std::string toModelText(const QString& text) { return text.toUtf8().toStdString(); }

QFont toQFont(const StdFont& font) {
    QFont f(toQString(font.Name));
    f.setPointSizeF(font.Size);
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStrikeOut(font.Strikethrough);
    return f;
}

std::optional<QColor> toQColor(std::int32_t color) {
    if (isSystemColor(color)) return std::nullopt;
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

Qt::Alignment toQtAlignment(std::int16_t alignment) {
    switch (alignment) {
        case 1: return Qt::AlignRight | Qt::AlignAbsolute;
        case 2: return Qt::AlignHCenter;
        default: return Qt::AlignLeft | Qt::AlignAbsolute;
    }
}

std::int16_t shiftOf(Qt::KeyboardModifiers modifiers) {
    std::int16_t shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= vbShiftMask;
    if (modifiers & Qt::ControlModifier) shift |= vbCtrlMask;
    if (modifiers & Qt::AltModifier) shift |= vbAltMask;
    return shift;
}

std::int16_t keyCodeOf(const QKeyEvent& event) {
    int key = event.key();
    switch (key) {
        case Qt::Key_Backspace: return vbKeyBack;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return vbKeyTab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return vbKeyReturn;
        case Qt::Key_Escape: return vbKeyEscape;
        case Qt::Key_Space: return vbKeySpace;
        case Qt::Key_PageUp: return vbKeyPageUp;
        case Qt::Key_PageDown: return vbKeyPageDown;
        case Qt::Key_End: return vbKeyEnd;
        case Qt::Key_Home: return vbKeyHome;
        case Qt::Key_Left: return vbKeyLeft;
        case Qt::Key_Up: return vbKeyUp;
        case Qt::Key_Right: return vbKeyRight;
        case Qt::Key_Down: return vbKeyDown;
        case Qt::Key_Insert: return vbKeyInsert;
        case Qt::Key_Delete: return vbKeyDelete;
        case Qt::Key_Shift: return 16;
        case Qt::Key_Control: return 17;
        case Qt::Key_Alt: return 18;
        default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F16) return static_cast<std::int16_t>(vbKeyF1 + (key - Qt::Key_F1));
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return static_cast<std::int16_t>(key);
    }
    QString text = event.text();
    return text.size() == 1 ? keyCodeForCharacter(text.at(0).unicode()) : 0;
}

std::int32_t characterIndex(const QString& text, int utf16Position) {
    return static_cast<std::int32_t>(text.left(utf16Position).toUcs4().size());
}

int utf16Position(const QString& text, std::int32_t characterIndex) {
    int position = 0;
    for (std::int32_t n = 0; n < characterIndex && position < text.size(); ++n) {
        position += text.at(position).isHighSurrogate() && position + 1 < text.size() ? 2 : 1;
    }
    return position;
}

}  // namespace forms::qt
