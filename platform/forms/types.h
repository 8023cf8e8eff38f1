// The small vocabulary of the forms layer: control kinds, events and their
// arguments, fonts, colours and the constants of the original toolkit
// (show modes, window states, key codes, unload modes).
//
// Lengths are twips (1/1440 inch, 15 twips a pixel) and stored exactly as
// set. Texts are UTF-8; callers convert 8-bit project text before it reaches
// a form.
#pragma once

#include <cstdint>
#include <string>

namespace forms {

// The kinds of control a form can hold.
enum class Kind {
    Label,
    TextBox,
    CommandButton,
    Frame,
    OptionButton,
    CheckBox,
    ComboBox,
    ListBox,
    PictureBox,
    Image,
    Shape,
    Line,
    UpDown,
    StatusBar,
    ProgressBar,
    Grid,
    ListView,
    DatePicker,  // a drop-down button that picks a date
    Spreadsheet
};

// The type name the toolkit reports for a kind ("Label", "TextBox", ...).
const char* typeName(Kind kind);

// Whether controls of the kind own a window (and so a handle). Label, Image,
// Shape and Line are drawn on their container and have none.
bool isWindowed(Kind kind);

// Events a handler can be connected to.
enum class Event {
    Click,
    DblClick,
    Change,
    KeyPress,
    KeyDown,
    KeyUp,
    GotFocus,
    LostFocus,
    MouseDown,
    MouseMove,
    MouseUp,
    ItemCheck,
    Scroll,
    UpClick,
    DownClick,
    // Spreadsheet: the current cell changed; an entry into a cell began.
    SelectionChange,
    StartEdit,
    // Form events
    Load,
    Activate,  // raised by Show once the form is displayed
    QueryUnload,
    Unload
};

// The arguments of one event. Fields that an event passes by reference in
// the original (KeyAscii, KeyCode, Cancel) are read back after the handler
// ran: KeyAscii 0 swallows a key, Cancel non-zero keeps a form loaded.
struct EventArgs {
    std::int16_t Index = -1;      // element of a control array; -1 otherwise
    std::int16_t KeyAscii = 0;    // KeyPress: the character's 16 bits (negative from U+8000 on); "?" above U+FFFF
    std::string KeyText;          // KeyPress: the character as typed, UTF-8 (whole above U+FFFF too)
    std::int16_t KeyCode = 0;     // KeyDown, KeyUp
    std::int16_t Shift = 0;       // keys and mouse: 1 Shift, 2 Ctrl, 4 Alt
    std::int16_t Button = 0;      // mouse: 1 left, 2 right, 4 middle
    float X = 0;                  // mouse: position in the control, twips
    float Y = 0;
    std::int16_t Item = 0;        // ItemCheck: the list entry that changed
    std::int16_t Cancel = 0;      // QueryUnload, Unload
    std::int16_t UnloadMode = 0;  // QueryUnload: see the vbForm... constants
};

// A calendar date (a date picker's value).
struct Date {
    std::int16_t Year = 0;
    std::int16_t Month = 0;  // 1 to 12
    std::int16_t Day = 0;    // 1 to 31
    bool operator==(const Date&) const = default;
};
// Whether the date exists in the Gregorian calendar (years 100 to 9999).
bool isValidDate(const Date& date);

// A font as forms and controls carry it.
struct StdFont {
    std::string Name = "Sans Serif";
    float Size = 8.0f;          // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    std::int16_t Charset = 0;   // 0 western, 178 Arabic, ...

    bool operator==(const StdFont&) const = default;
};

// Colours are 0x00BBGGRR values; system colours have the top bit set and
// name a colour of the desktop scheme.
constexpr std::int32_t RGB(int red, int green, int blue) {
    return static_cast<std::int32_t>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
inline constexpr std::int32_t vbButtonFace = static_cast<std::int32_t>(0x8000000F);
inline constexpr std::int32_t vbButtonText = static_cast<std::int32_t>(0x80000012);
inline constexpr std::int32_t vbWindowBackground = static_cast<std::int32_t>(0x80000005);
inline constexpr std::int32_t vbWindowText = static_cast<std::int32_t>(0x80000008);
inline constexpr std::int32_t vbHighlight = static_cast<std::int32_t>(0x8000000D);
constexpr bool isSystemColor(std::int32_t color) { return color < 0; }

// Show modes.
inline constexpr std::int16_t vbModeless = 0;
inline constexpr std::int16_t vbModal = 1;

// Window states.
inline constexpr std::int16_t vbNormal = 0;
inline constexpr std::int16_t vbMinimized = 1;
inline constexpr std::int16_t vbMaximized = 2;

// Why a form is being unloaded (QueryUnload's UnloadMode).
inline constexpr std::int16_t vbFormControlMenu = 0;  // the user closed the window
inline constexpr std::int16_t vbFormCode = 1;         // the program unloaded it
inline constexpr std::int16_t vbAppWindows = 2;

// Mouse pointers.
inline constexpr std::int16_t vbDefault = 0;
inline constexpr std::int16_t vbHourglass = 11;

// Key codes (KeyDown, KeyUp) and shift bits.
inline constexpr std::int16_t vbKeyBack = 8;
inline constexpr std::int16_t vbKeyTab = 9;
inline constexpr std::int16_t vbKeyReturn = 13;
inline constexpr std::int16_t vbKeyEscape = 27;
inline constexpr std::int16_t vbKeySpace = 32;
inline constexpr std::int16_t vbKeyPageUp = 33;
inline constexpr std::int16_t vbKeyPageDown = 34;
inline constexpr std::int16_t vbKeyEnd = 35;
inline constexpr std::int16_t vbKeyHome = 36;
inline constexpr std::int16_t vbKeyLeft = 37;
inline constexpr std::int16_t vbKeyUp = 38;
inline constexpr std::int16_t vbKeyRight = 39;
inline constexpr std::int16_t vbKeyDown = 40;
inline constexpr std::int16_t vbKeyInsert = 45;
inline constexpr std::int16_t vbKeyDelete = 46;
inline constexpr std::int16_t vbKeyF1 = 112;
inline constexpr std::int16_t vbShiftMask = 1;
inline constexpr std::int16_t vbCtrlMask = 2;
inline constexpr std::int16_t vbAltMask = 4;

// Alignment of captions and texts.
inline constexpr std::int16_t vbLeftJustify = 0;
inline constexpr std::int16_t vbRightJustify = 1;
inline constexpr std::int16_t vbCenter = 2;

// Check box values.
inline constexpr std::int32_t vbUnchecked = 0;
inline constexpr std::int32_t vbChecked = 1;
inline constexpr std::int32_t vbGrayed = 2;

// Which property of a form or control changed (for views).
enum class Prop {
    Geometry,
    Caption,
    Text,
    Visible,
    Enabled,
    Value,
    Alignment,
    RightToLeft,
    Font,
    Colors,
    Items,
    ListIndex,
    Selection,
    Picture,
    Appearance,  // styles, borders, shape kind, line ends, tab order
    Range,       // Min, Max, Increment
    Panels,
    Cells,
    GridLayout,  // rows, columns, widths, heights, current cell, scrolling
    ZOrder,
    Container,
    Focus,
    Refresh,
    WindowState,
    ToolTip
};

}  // namespace forms
