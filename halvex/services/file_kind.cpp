#include "halvex/services/file_kind.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "halvex/services/library_state.h"
#include "platform/runtime/strings.h"

namespace halvex {

using quillon::TextNo;

namespace {

// The key of a path: a special file name or the extension with its dot.
std::string fileKindKey(const std::string& path)
{
    const std::string p = rt::lcase(rt::rtrim(path));
    auto endsIn = [&p](int n) { return rt::right(p, n); };
    auto stemAt = [&p](int fromEnd, int stemLength) { return rt::left(rt::right(p, fromEnd), stemLength); };

    if (endsIn(5) == "units")
        return "units";
    if (endsIn(3) == "rft")
        return "rft";
    if (endsIn(4) == "steu")
        return "steu";
    if (endsIn(5) == "firma")
        return "firma";
    if (endsIn(8) == "noformat")
        return "noformat";
    // Settings files: a stem, a dot and a three-letter extension.
    if (stemAt(12, 8) == "preferen")
        return "preferen";
    if (stemAt(12, 8) == "lineform")
        return "lineform";
    if (stemAt(11, 5) == "paint")
        return "paint";
    if (stemAt(11, 7) == "legende")
        return "legende";
    if (stemAt(12, 8) == "nodispla")
        return "nodispla";
    if (stemAt(12, 8) == "pagelayo")
        return "pagelayo";
    if (stemAt(11, 7) == "plotpar")
        return "plotpar";
    if (stemAt(12, 8) == "ordinate")
        return "ordinate";
    if (stemAt(8, 4) == "font")
        return "font";
    return endsIn(4);
}

const std::unordered_map<std::string, std::int32_t>& plainKinds()
{
    static const std::unordered_map<std::string, std::int32_t> table = [] {
        const std::vector<std::pair<std::int32_t, std::vector<std::string>>> groups = {
            // special file names
            {TextNo(92), {"preferen"}},
            {TextNo(17), {"units"}},
            {TextNo(140174), {"rft"}},
            {TextNo(140161), {"steu"}},
            {TextNo(140116), {"firma"}},
            {TextNo(140168), {"noformat"}},
            {TextNo(103), {"plotpar"}},
            {TextNo(102), {"legende"}},
            {TextNo(15), {"nodispla"}},
            {TextNo(14), {"font"}},
            {TextNo(140166), {"pagelayo"}},
            {TextNo(16), {"ordinate"}},
            {TextNo(98), {"lineform"}},
            {TextNo(19), {"paint"}},
            // extensions
            {TextNo(146), {".pw1"}},
            {TextNo(160), {".auf"}},
            {TextNo(10042), {".p33"}},
            {TextNo(60002), {".p23"}},
            {TextNo(60005), {".p31", ".p61", ".p71"}},
            {TextNo(90103), {".pt3"}},
            {TextNo(90105), {".pv1"}},
            {TextNo(90163), {".pp3"}},
            {TextNo(140005), {".po1"}},
            {TextNo(140006), {".po2"}},
            {TextNo(140007), {".po3"}},
            {TextNo(140008), {".rtf"}},
            {TextNo(140009), {".txt"}},
            {TextNo(140010), {".wmf"}},
            {TextNo(140011), {".chm", ".htm"}},
            {TextNo(140015), {".p35", ".p81", ".p91"}},
            {TextNo(140102), {".gl1", ".gl2"}},
            {TextNo(140162), {".boh", ".bau"}},
            {TextNo(140163), {".par"}},
            {TextNo(140164), {".qub"}},
            {TextNo(140165), {".qun"}},
            {TextNo(140169), {".pc1", ".pcf", ".pcw"}},
            {TextNo(140170), {".pp1"}},
            {TextNo(140171), {".p41"}},
            {TextNo(140175), {".pt1"}},
            {TextNo(140176), {".p21"}},
            {TextNo(140183), {".dss"}},
            {TextNo(140185), {".ssd"}},
            {TextNo(140186), {".con"}},
            {TextNo(140187), {".rat"}},
            {TextNo(140188), {".tst"}},
            {TextNo(140189), {".rde"}},
            {TextNo(140190), {".rco"}},
            {TextNo(140191), {".spi"}},
            {TextNo(140192), {".spg"}},
            {TextNo(140193), {".soi"}},
            {TextNo(140194), {".pca"}},
            {TextNo(140195), {".pil", ".pco"}},
            {TextNo(140196), {".gh1"}},
            {TextNo(140199), {".pc5", ".pc6"}},
            {TextNo(140200), {".pg1"}},
            {TextNo(140201), {".pi1"}},
            {TextNo(140202), {".pi2"}},
            {TextNo(140203), {".pt2"}},
            {TextNo(140204), {".pw2"}},
            {TextNo(140205), {".pp2"}},
            {TextNo(140207), {".pc7"}},
            {TextNo(140208), {".pc8"}},
            {TextNo(140211), {".pl4"}},
            {TextNo(140212), {".pd2"}},
            {TextNo(140213), {".pl5"}},
            {TextNo(140214), {".pc4"}},
            {TextNo(140215), {".pc3"}},
            {TextNo(140216), {".pf1"}},
            {TextNo(140217), {".gf1"}},
            {TextNo(140218), {".ph9"}},
            {TextNo(140219), {".ph8"}},
            {TextNo(140220), {".ps1"}},
            {TextNo(140221), {".pe1"}},
            {TextNo(140222), {".pe2"}},
            {TextNo(140223), {".pf2"}},
            {TextNo(140224), {".ldh"}},
            {TextNo(140225), {".ld1"}},
            {TextNo(140226), {".pl3"}},
            {TextNo(140227), {".pl6"}},
            {TextNo(140228), {".pl8"}},
            {TextNo(140229), {".dzz"}},
            {TextNo(140230), {".fp1"}},
            {TextNo(140231), {".fp2"}},
            {TextNo(140232), {".fp3"}},
            {TextNo(140233), {".fp4"}},
            {TextNo(140234), {".fp5"}},
            {TextNo(140235), {".fp6"}},
            {TextNo(140236), {".pc9"}},
            {TextNo(140237), {".pl7"}},
            {TextNo(140238), {".pl9"}},
            {TextNo(140239), {".pei"}},
            {TextNo(140241), {".ppu"}},
        };
        std::unordered_map<std::string, std::int32_t> t;
        for (const auto& [number, keys] : groups)
            for (const auto& key : keys)
                t.emplace(key, number);
        return t;
    }();
    return table;
}

// A composed kind: a text with up to two axis words put in, and a literal
// suffix.
struct ComposedKind {
    std::int32_t text;
    char axis1;  // 'A'..'F', or 0 for none
    char axis2;
    std::string_view suffix;
    std::int32_t secondText = 0;  // appended after the suffix (".ph1")
};

const std::unordered_map<std::string, ComposedKind>& composedKinds()
{
    static const std::unordered_map<std::string, ComposedKind> table = {
        {".ph1", {TextNo(138), 0, 0, "/ ", TextNo(137)}},
        {".ph2", {TextNo(90098), 0, 0, " q"}},
        {".ph3", {TextNo(140), 0, 0, " mx"}},
        {".ph4", {TextNo(140), 0, 0, " my"}},
        {".ph5", {TextNo(140), 0, 0, " mxy"}},
        {".ph6", {TextNo(141), 0, 0, " Qx"}},
        {".ph7", {TextNo(141), 0, 0, " Qy"}},
        {".h10", {TextNo(142), 0, 0, " V"}},
        {".h11", {TextNo(142), 0, 0, " My"}},
        {".h12", {TextNo(142), 0, 0, " Mx"}},
        {".h13", {TextNo(143), 'A', 0, " As,topx"}},
        {".h14", {TextNo(144), 'A', 0, " As,botx"}},
        {".h15", {TextNo(143), 'B', 0, " As,topy"}},
        {".h16", {TextNo(144), 'B', 0, " As,boty"}},
        {".pd1", {TextNo(140177), 0, 0, " [Ce]"}},
        {".pd3", {TextNo(140177), 0, 0, " [C]"}},
        {".u_x", {TextNo(140178), 'D', 0, ""}},
        {".v_y", {TextNo(140178), 'E', 0, ""}},
        {".w_z", {TextNo(140178), 'F', 0, ""}},
        {".s_x", {TextNo(140179), 'D', 0, ""}},
        {".s_y", {TextNo(140179), 'E', 0, ""}},
        {".s_z", {TextNo(140179), 'F', 0, ""}},
        {".txy", {TextNo(140180), 'D', 'E', ""}},
        {".txz", {TextNo(140180), 'D', 'F', ""}},
        {".tyz", {TextNo(140180), 'E', 'F', ""}},
        {".vax", {TextNo(140181), 'D', 0, ""}},
        {".vay", {TextNo(140181), 'E', 0, ""}},
        {".vaz", {TextNo(140181), 'F', 0, ""}},
        {".vxy", {TextNo(140182), 'D', 'E', ""}},
        {".vxz", {TextNo(140182), 'D', 'F', ""}},
        {".vyz", {TextNo(140182), 'E', 'F', ""}},
        {".thy", {TextNo(140240), 'A', 0, ""}},
        {".thx", {TextNo(140240), 'B', 0, ""}},
        {".thz", {TextNo(140240), 'C', 0, ""}},
    };
    return table;
}

std::string axisText(const quillon::ClsLanguageText& texts, char which)
{
    switch (which) {
    case 'A': return texts.AxisTextA();
    case 'B': return texts.AxisTextB();
    case 'C': return texts.AxisTextC();
    case 'D': return texts.AxisTextD();
    case 'E': return texts.AxisTextE();
    default: return texts.AxisTextF();
    }
}

std::string compose(const ComposedKind& kind)
{
    const quillon::ClsLanguageText& texts = textLib();
    // Texts with axis words take the list 32, "|1", a[, "|2", b].
    std::vector<rt::Variant> list;
    if (kind.axis1 != 0) {
        list = {rt::Variant(std::int32_t{32}), "|1", axisText(texts, kind.axis1)};
        if (kind.axis2 != 0) {
            list.emplace_back("|2");
            list.emplace_back(axisText(texts, kind.axis2));
        }
    }
    std::string text = texts.GetText(rt::Variant(kind.text), list) + std::string(kind.suffix);
    if (kind.secondText != 0)
        text += texts.GetText(rt::Variant(kind.secondText));
    return text;
}

}  // namespace

rt::Variant FileKindOf(const std::string& path)
{
    const std::string key = fileKindKey(path);
    if (auto plain = plainKinds().find(key); plain != plainKinds().end())
        return rt::Variant(plain->second);
    if (auto composed = composedKinds().find(key); composed != composedKinds().end())
        return rt::Variant(compose(composed->second));
    return rt::Variant(std::string());
}

void SetFileTypeText(const std::string& path)
{
    libraryState().FileTypeText = FileKindOf(path);
}

}  // namespace halvex
