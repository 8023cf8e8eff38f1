// The facade's shared state and its accessors.
#include <gtest/gtest.h>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"

namespace {

class FacadeTest : public ::testing::Test {
protected:
    void SetUp() override { halvex::resetLibraryState(); }
};

TEST_F(FacadeTest, InstancesShareOneStore)
{
    halvex::ClsValmor first;
    halvex::ClsValmor second;
    first.Prod("/data/raft.PO1");
    first.AppHelpFile("/opt/help/mirva_en.chm");
    first.chooseControl(true);
    first.HelpText("body");
    first.HelpTitle("title");
    EXPECT_EQ(second.Prod(), "/data/raft.PO1");
    EXPECT_EQ(second.AppHelpFile(), "/opt/help/mirva_en.chm");
    EXPECT_TRUE(second.chooseControl());
    EXPECT_EQ(second.HelpText(), "body");
    EXPECT_EQ(second.HelpTitle(), "title");
    // A third instance created later sees the same values.
    EXPECT_EQ(halvex::ClsValmor().Prod(), "/data/raft.PO1");
}

TEST_F(FacadeTest, FreshStoreIsZeroed)
{
    halvex::ClsValmor valmor;
    EXPECT_FALSE(valmor.chooseControl());
    EXPECT_EQ(valmor.MirvaProg(), 0);
    EXPECT_EQ(valmor.Prod(), "");
    EXPECT_TRUE(valmor.TextInf().isEmpty());
}

TEST_F(FacadeTest, TextInfKeepsTheKindOfItsValue)
{
    halvex::ClsValmor valmor;
    valmor.TextInf(rt::Variant(std::int32_t{140005}));
    EXPECT_EQ(halvex::ClsValmor().TextInf().type(), rt::VarType::Long);
    EXPECT_EQ(halvex::ClsValmor().TextInf().toLong(), 140005);

    valmor.TextInf(rt::Variant("140005"));
    EXPECT_EQ(valmor.TextInf().type(), rt::VarType::String);
    EXPECT_EQ(valmor.TextInf().toString(), "140005");

    // The getter hands out a copy.
    rt::Variant copy = valmor.TextInf();
    copy = rt::Variant("changed");
    EXPECT_EQ(valmor.TextInf().toString(), "140005");
}

TEST_F(FacadeTest, MirvaProgStoresAnyValue)
{
    halvex::ClsValmor valmor;
    valmor.MirvaProg(halvex::MirvaSolver);
    EXPECT_EQ(halvex::ClsValmor().MirvaProg(), 5);
    valmor.MirvaProg(11);
    EXPECT_EQ(valmor.MirvaProg(), 11);
    valmor.MirvaProg(-70000);
    EXPECT_EQ(valmor.MirvaProg(), -70000);
    valmor.MirvaProg(0);
    EXPECT_EQ(valmor.MirvaProg(), 0);
}

TEST_F(FacadeTest, TextObjectIsCreatedOnceOnFirstUse)
{
    EXPECT_EQ(halvex::libraryState().TextLib, nullptr);
    quillon::ClsLanguageText* first = &halvex::textLib();
    EXPECT_EQ(first, &halvex::textLib());
    EXPECT_EQ(halvex::libraryState().TextLib.get(), first);
}

}  // namespace
