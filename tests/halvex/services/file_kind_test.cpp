// Classification of file paths into file-kind texts.
#include <gtest/gtest.h>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/file_kind.h"
#include "halvex/services/library_state.h"

namespace {

class FileKindTest : public ::testing::Test {
protected:
    void SetUp() override { halvex::resetLibraryState(); }

    // The kind the facade reports for a path.
    rt::Variant kindOf(const std::string& path)
    {
        halvex::ClsValmor valmor;
        valmor.GetTextInf(path);
        return valmor.TextInf();
    }

    void expectNumber(const std::string& path, std::int32_t number)
    {
        const rt::Variant kind = kindOf(path);
        ASSERT_EQ(kind.type(), rt::VarType::Long) << path;
        EXPECT_EQ(kind.toLong(), number) << path;
    }

    std::string text(std::int32_t number, std::vector<rt::Variant> list = {})
    {
        return halvex::textLib().GetText(rt::Variant(number), list);
    }
};

TEST_F(FileKindTest, SpecialFileNamesInAnyCase)
{
    expectNumber("/home/eng/prog/Units", 17);
    expectNumber("/home/eng/prog/UNITS", 17);
    expectNumber("/home/eng/prog/uNiTs  ", 17);
    expectNumber("/home/eng/prog/STEU", 140161);
    expectNumber("/home/eng/prog/Firma", 140116);
    expectNumber("/home/eng/prog/NoFormat", 140168);
    expectNumber("/home/eng/prog/Preferen.dat", 92);
    expectNumber("/home/eng/prog/PREFEREN.XYZ", 92);
    expectNumber("/home/eng/prog/lineform.gra", 98);
    expectNumber("/home/eng/prog/paint01.bor", 19);
    expectNumber("/home/eng/prog/legende.sec", 102);
    expectNumber("/home/eng/prog/nodispla.dat", 15);
    expectNumber("/home/eng/prog/pagelayo.lst", 140166);
    expectNumber("/home/eng/prog/plotpar.gra", 103);
    expectNumber("/home/eng/prog/Ordinate.sec", 16);
    expectNumber("/home/eng/prog/font.dat", 14);
    expectNumber("/home/eng/prog/FONT.LST", 14);
}

TEST_F(FileKindTest, OnlyTheEndOfThePathCounts)
{
    // Anything ending in "rft" is the rft kind, whatever the separator.
    expectNumber("/data/report.rft", 140174);
    expectNumber("/data/overrft", 140174);
    // A folder named like a special file does not matter.
    expectNumber("/data/Units/raft.po1", 140005);
}

TEST_F(FileKindTest, PlainExtensions)
{
    expectNumber("/data/raft.PO1", 140005);
    expectNumber("/data/raft.po1   ", 140005);
    expectNumber("/data/raft.pco", 140195);
    expectNumber("/data/raft.PIL", 140195);
    expectNumber("/data/raft.p31", 60005);
    expectNumber("/data/raft.P61", 60005);
    expectNumber("/data/raft.p71", 60005);
    expectNumber("/data/raft.GL1", 140102);
    expectNumber("/data/raft.gl2", 140102);
    expectNumber("/data/raft.P41", 140171);
    expectNumber("/data/raft.PL6", 140227);
    expectNumber("/data/raft.pl8", 140228);
    expectNumber("/data/raft.ppu", 140241);
}

TEST_F(FileKindTest, ComposedExtensionsFollowTheTextObject)
{
    const quillon::ClsLanguageText& texts = halvex::textLib();
    EXPECT_EQ(kindOf("/data/raft.txy").toString(),
              text(140180, {std::int32_t{32}, "|1", texts.AxisTextD(), "|2", texts.AxisTextE()}));
    EXPECT_EQ(kindOf("/data/raft.TYZ").toString(),
              text(140180, {std::int32_t{32}, "|1", texts.AxisTextE(), "|2", texts.AxisTextF()}));
    EXPECT_EQ(kindOf("/data/raft.thz").toString(), text(140240, {std::int32_t{32}, "|1", texts.AxisTextC()}));
    EXPECT_EQ(kindOf("/data/raft.h15").toString(),
              text(143, {std::int32_t{32}, "|1", texts.AxisTextB()}) + " As,topy");
    EXPECT_EQ(kindOf("/data/raft.ph1").toString(), text(138) + "/ " + text(137));
    EXPECT_EQ(kindOf("/data/raft.ph6").toString(), text(141) + " Qx");
    EXPECT_EQ(kindOf("/data/raft.pd3").toString(), text(140177) + " [C]");
    EXPECT_EQ(kindOf("/data/raft.ph2").type(), rt::VarType::String);
    // An axis text is put in, not left as a placeholder.
    EXPECT_EQ(kindOf("/data/raft.u_x").toString().find("|1"), std::string::npos);
}

TEST_F(FileKindTest, UnknownKindsGiveAnEmptyText)
{
    for (const char* path : {"/data/letter.doc", "", "   ", "/data/raft", "/data/raft.po"}) {
        const rt::Variant kind = kindOf(path);
        EXPECT_EQ(kind.type(), rt::VarType::String) << path;
        EXPECT_EQ(kind.toString(), "") << path;
    }
}

TEST_F(FileKindTest, ClassificationReplacesAStoredValue)
{
    halvex::ClsValmor valmor;
    valmor.TextInf(rt::Variant("left over"));
    valmor.GetTextInf("/data/raft.po2");
    EXPECT_EQ(valmor.TextInf().toLong(), 140006);
    valmor.GetTextInf("/data/raft.doc");
    EXPECT_EQ(valmor.TextInf().toString(), "");
}

}  // namespace
