#include "halvex/services/units.h"

#include <pwd.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <cstdlib>
#include <optional>
#include <span>

#include "halvex/services/library_files.h"
#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "halvex/services/program_folder.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/textfile.h"

namespace halvex {

using quillon::TextNo;

namespace {

struct UnitSymbol {
    const char* symbol;
    std::int32_t text;
};

constexpr UnitSymbol kLengthSymbols[] = {
    {"[m]", TextNo(28)},  {"[ft]", TextNo(36)}, {"[in]", TextNo(38)},
    {"[cm]", TextNo(40)}, {"[mm]", TextNo(42)}, {"[yd]", TextNo(44)},
};

constexpr UnitSymbol kForceSymbols[] = {
    {"[kN]", TextNo(29)},   {"[N]", TextNo(47)},  {"[kgf]", TextNo(49)},
    {"[kip]", TextNo(51)},  {"[lbf]", TextNo(53)}, {"[tonf]", TextNo(55)},
    {"[kg]", TextNo(57)},   {"[ton]", TextNo(59)}, {"[MN]", TextNo(61)},
};

// The degree sign in UTF-8.
constexpr UnitSymbol kTemperatureSymbols[] = {
    {"[\xC2\xB0" "C]", TextNo(33)},
    {"[\xC2\xB0" "K]", TextNo(30)},
    {"[\xC2\xB0" "F]", TextNo(31)},
    {"[\xC2\xB0" "R]", TextNo(32)},
};

// The nine values of the Units file in file order: symbol and factor of
// the two length and the two force units, then the temperature symbol.
constexpr int kUnitValueCount = 9;
constexpr int kSymbolSlots[] = {0, 2, 4, 6, 8};
constexpr std::int32_t kDefaultSymbolTexts[] = {TextNo(28), TextNo(40), TextNo(29), TextNo(29), TextNo(33)};
constexpr double kDefaultFactors[] = {1.0, 1.0, 1.0, 1000.0};

std::string text(std::int32_t number)
{
    return textLib().GetText(rt::Variant(number));
}

// The text of a known symbol of the table, or the symbol as read.
std::string mapSymbol(const std::string& symbol, std::span<const UnitSymbol> table)
{
    for (const UnitSymbol& entry : table)
        if (symbol == entry.symbol) return text(entry.text);
    return symbol;
}

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return home;
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && user->pw_dir != nullptr) return user->pw_dir;
    return std::string();
}

// The data directory as STEU gives it, for this machine.
std::string dataDirectoryFrom(const std::string& line)
{
    std::string path = rt::toNativePath(line);
    if (path == "~" || path.rfind("~/", 0) == 0) {
        const std::string home = homeFolder();
        if (!home.empty()) path = home + path.substr(1);
    }
    return path;
}

// The standard unit of each pair, the one of factor 1 (the metre, the
// kilonewton): what a pair whose factor cannot be used is given whole, so
// that no label shows a unit the values are not in.
constexpr std::int32_t kStandardSymbolTexts[] = {TextNo(28), TextNo(28), TextNo(29), TextNo(29)};

// Whether a factor of the Units file can be used: above 0 and finite, and
// for a length unit within the range of real length units, 1E-4 to 1E+4
// units to the metre (a smaller one makes a net of a few nodes, a larger
// one a tolerance below what a Single tells apart).
bool usableFactor(double factor, bool length)
{
    if (!(factor > 0.0) || !std::isfinite(factor)) return false;
    return !length || (factor >= 1e-4 && factor <= 1e4);
}

// The message for a factor of the Units file that is refused: the file, the
// value and the standard unit taken instead.
void refuseFactor(const std::string& path, double factor, const std::string& standard)
{
    quillon::ClsLanguageText& texts = textLib();
    const std::string prompt = texts.GetText(
        rt::Variant(TextNo(140365)), {rt::Variant("|1"), rt::Variant(path), rt::Variant("|2"),
                                      rt::Variant(factor), rt::Variant("|3"),
                                      rt::Variant(standard)});
    ShowLibraryMessage(prompt, texts.MessageBoxFlags() | forms::vbExclamation, MessageTitle(texts));
}

}  // namespace

std::string ApplicationPath()
{
    const std::string& given = libraryState().ApplicationPath;
    std::string folder = given.empty() ? ProgramFolder() : given;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string DefaultDataDirectory()
{
    const std::string home = homeFolder();
    return (home.empty() ? ApplicationPath() : home) + "/Projects";
}

void ReadUnits(std::string& Unit_Length1Symb, double& Unit_Length1Factor, std::string& Unit_Length2Symb,
               double& Unit_Length2Factor, std::string& Unit_Force1Symb, double& Unit_Force1Factor,
               std::string& Unit_Force2Symb, double& Unit_Force2Factor, std::string& Unit_TemperatureSymb)
{
    LibraryState& state = libraryState();
    state.SettingsDir = AddBackslash(ApplicationPath());
    state.CurrentFilePath = state.SettingsDir + "Units";
    const std::string path = state.CurrentFilePath;

    std::string symbols[5];
    double factors[4] = {};
    int valuesRead = 0;
    // A damaged file: the values read so far stay, the rest default.
    ReadLibraryFile(path, [&](rt::TextReader& reader) {
        for (; valuesRead < kUnitValueCount; ++valuesRead) {
            if (valuesRead % 2 == 0)
                symbols[valuesRead / 2] = rt::textAsUtf8(reader.readString());
            else
                factors[valuesRead / 2] = reader.readDouble();
        }
    });

    const std::span<const UnitSymbol> symbolTables[5] = {kLengthSymbols, kLengthSymbols, kForceSymbols,
                                                         kForceSymbols, kTemperatureSymbols};
    std::string* const symbolOut[5] = {&Unit_Length1Symb, &Unit_Length2Symb, &Unit_Force1Symb,
                                       &Unit_Force2Symb, &Unit_TemperatureSymb};
    double* const factorOut[4] = {&Unit_Length1Factor, &Unit_Length2Factor, &Unit_Force1Factor,
                                  &Unit_Force2Factor};
    for (int k = 0; k < 5; ++k) {
        const bool read = kSymbolSlots[k] < valuesRead;
        *symbolOut[k] = read ? mapSymbol(symbols[k], symbolTables[k]) : text(kDefaultSymbolTexts[k]);
    }
    for (int k = 0; k < 4; ++k) {
        const bool symbolRead = kSymbolSlots[k] < valuesRead;
        const bool read = kSymbolSlots[k] + 1 < valuesRead;
        *factorOut[k] = read ? factors[k] : kDefaultFactors[k];
        // A pair whose factor is refused, or was not read after its symbol,
        // is the standard unit whole: symbol and factor.
        const bool refused = read && !usableFactor(factors[k], k < 2);
        if (refused || (symbolRead && !read)) {
            *symbolOut[k] = text(kStandardSymbolTexts[k]);
            *factorOut[k] = 1.0;
        }
        if (refused) refuseFactor(path, factors[k], *symbolOut[k]);
    }
}

void DataDirectory(std::string& ProgrDir, std::string& DataDir, CompressFlagTypes& CompressFlag)
{
    ProgrDir = AddBackslash(ApplicationPath());
    LibraryState& state = libraryState();
    state.FileTypeText = rt::Variant(TextNo(140161));
    state.CurrentFilePath = ProgrDir + "STEU";
    const std::string path = state.CurrentFilePath;

    const bool flagWanted = CompressFlag != CompressedNotUsedFlag;
    std::optional<std::string> directoryLine;
    std::optional<std::int16_t> flag;
    // A damaged file (reported, naming it) gives the defaults whole: nothing
    // half read is used. The flag is its line's only value ("1,5" is no 1).
    const bool whole = ReadLibraryFile(path, [&](rt::TextReader& reader) {
        directoryLine = reader.readLine();
        if (!flagWanted) return;
        flag = reader.readInteger();
        if (!reader.atLineStart()) {
            rt::raise(13, textLib().GetText(rt::Variant(TextNo(140323)), {rt::Variant("|1"), rt::Variant(2)}));
        }
    });
    if (!whole) {
        directoryLine.reset();
        flag.reset();
    }

    const bool haveDirectory = directoryLine && !rt::trim(*directoryLine).empty();
    DataDir = haveDirectory ? dataDirectoryFrom(*directoryLine) : DefaultDataDirectory();
    if (!directoryLine)
        CompressFlag = CompressIntermediateResults;  // whatever the caller passed
    else if (flagWanted)
        CompressFlag = flag ? static_cast<CompressFlagTypes>(*flag) : CompressIntermediateResults;
}

}  // namespace halvex
