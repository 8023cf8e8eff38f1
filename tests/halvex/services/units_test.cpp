// The Units file, the control file STEU and the program directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/services/units.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string text(std::int32_t number) { return halvex::textLib().GetText(rt::Variant(number)); }

struct Units {
    std::string length1 = "in", length2 = "in", force1 = "in", force2 = "in", temperature = "in";
    double length1Factor = -9, length2Factor = -9, force1Factor = -9, force2Factor = -9;
};

struct ControlFile {
    std::string progrDir = "in", dataDir = "in";
    halvex::CompressFlagTypes flag = halvex::NoCompressedFlag;
};

class UnitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        halvex::libraryFileChannel().reset();
        halvex::libraryState().ApplicationPath = folder.dir();
        for (int i = 0; i < 4; ++i) script->answer(forms::vbOK);
    }
    void TearDown() override
    {
        EXPECT_FALSE(halvex::libraryFileChannel().isOpen()) << "file 1 is closed again";
        halvex::libraryFileChannel().reset();
    }

    void writeFile(const std::string& name, const std::string& content) const { folder.write(name, content); }
    Units readUnits()
    {
        Units u;
        valmor.ReadUnits(u.length1, u.length1Factor, u.length2, u.length2Factor, u.force1, u.force1Factor,
                         u.force2, u.force2Factor, u.temperature);
        return u;
    }
    ControlFile dataDirectory(halvex::CompressFlagTypes flag)
    {
        ControlFile c;
        c.flag = flag;
        valmor.DataDirectory(c.progrDir, c.dataDir, c.flag);
        return c;
    }
    std::string programDir() const { return folder.dir(); }
    std::size_t reports() const { return script->boxes().size(); }

    forms::ScopedMsgBox script;
    halvex::ClsValmor valmor;
    TempFolder folder;
};

TEST_F(UnitsTest, KnownSymbolsBecomeTexts)
{
    writeFile("Units", "\"[m]\",1\r\n\"[cm]\",100\r\n\"[kN]\",1\r\n\"[MN]\",0.001\r\n\"[\xC2\xB0" "C]\"\r\n");
    const Units u = readUnits();
    EXPECT_EQ(u.length1, text(28));
    EXPECT_EQ(u.length2, text(40));
    EXPECT_EQ(u.force1, text(29));
    EXPECT_EQ(u.force2, text(61));
    EXPECT_EQ(u.temperature, text(33));
    EXPECT_EQ(u.length2Factor, 100.0);
    EXPECT_EQ(u.force2Factor, 0.001);
    EXPECT_EQ(reports(), 0u);
    EXPECT_EQ(halvex::libraryState().SettingsDir, programDir());
    EXPECT_EQ(valmor.Prod(), programDir() + "Units");
    EXPECT_EQ(valmor.TextInf().toLong(), 17);
}

TEST_F(UnitsTest, OddSymbols)
{
    // A force symbol as a length, a decimetre, an unknown temperature: all
    // as read; bare symbols with blanks around them read too.
    writeFile("Units", "[kN], 2\n\"[dm]\",10\n [m] ,1\n\"[ft]\",3\n\"[F]\"\n");
    Units u = readUnits();
    EXPECT_EQ(u.length1, "[kN]");
    EXPECT_EQ(u.length1Factor, 2.0);
    EXPECT_EQ(u.length2, "[dm]");
    EXPECT_EQ(u.force1, "[m]");
    EXPECT_EQ(u.force2, "[ft]");
    EXPECT_EQ(u.temperature, "[F]");

    // An older file in Windows-1252: the degree sign is the byte B0.
    writeFile("Units", "\"[m]\",1\r\n\"[cm]\",100\r\n\"[kN]\",1\r\n\"[kN]\",1000\r\n\"[\xB0" "F]\"\r\n");
    u = readUnits();
    EXPECT_EQ(u.temperature, text(31));
    EXPECT_EQ(reports(), 0u);
}

TEST_F(UnitsTest, MissingOrEmptyFileGivesTheDefaults)
{
    for (bool empty : {false, true}) {
        if (empty) writeFile("Units", "");
        const Units u = readUnits();
        EXPECT_EQ(u.length1, text(28));
        EXPECT_EQ(u.length2, text(40));
        EXPECT_EQ(u.force1, text(29));
        EXPECT_EQ(u.force2, text(29));
        EXPECT_EQ(u.temperature, text(33));
        EXPECT_EQ(u.length1Factor, 1.0);
        EXPECT_EQ(u.length2Factor, 1.0);
        EXPECT_EQ(u.force1Factor, 1.0);
        EXPECT_EQ(u.force2Factor, 1000.0);
        EXPECT_EQ(reports(), empty ? 1u : 0u) << "missing: silently; empty: reported";
    }
}

TEST_F(UnitsTest, DamagedFileKeepsWhatWasRead)
{
    // Ends after the second force factor.
    writeFile("Units", "\"[mm]\",1000\r\n\"[cm]\",100\r\n\"[N]\",1000\r\n\"[MN]\",0.001\r\n");
    Units u = readUnits();
    EXPECT_EQ(u.length1, text(42));
    EXPECT_EQ(u.length1Factor, 1000.0);
    EXPECT_EQ(u.force1, text(47));
    EXPECT_EQ(u.force2, text(61));
    EXPECT_EQ(u.force2Factor, 0.001);
    EXPECT_EQ(u.temperature, text(33)) << "only the missing value takes its default";
    ASSERT_EQ(reports(), 1u);
    EXPECT_EQ(script->boxes()[0].style, forms::vbCritical);
    EXPECT_NE(script->boxes()[0].prompt.find(programDir() + "Units"), std::string::npos);

    // A factor that is no number: everything from there defaults.
    writeFile("Units", "\"[mm]\",1000\r\n\"[ft]\",lots\r\n\"[N]\",1000\r\n\"[MN]\",0.001\r\n\"[\xC2\xB0" "C]\"\r\n");
    u = readUnits();
    EXPECT_EQ(u.length1Factor, 1000.0);
    EXPECT_EQ(u.length2, text(28)) << "a symbol whose factor was not read: the standard unit whole";
    EXPECT_EQ(u.length2Factor, 1.0);
    EXPECT_EQ(u.force1, text(29));
    EXPECT_EQ(u.force2Factor, 1000.0);
    EXPECT_EQ(reports(), 2u);
}

TEST_F(UnitsTest, AFactorOutsideRealUnitsIsRefusedNamingFileAndValueAndTheStandardUnitIsTakenWhole)
{
    // Length factors outside 1E-4 .. 1E+4 units to the metre are refused
    // and both pairs are the metre whole; a huge force factor is kept.
    for (const std::string length : {"0", "-1", "1E-07", "1E-30", "1E+05", "1E+300", "1E-04", "10000"}) {
        const bool refused = length != "1E-04" && length != "10000";
        writeFile("Units", "\"[cm]\"," + length + "\r\n\"[mm]\"," + length + "\r\n\"[kN]\",1E+38\r\n\"[MN]\",1\r\n\"[F]\"\r\n");
        const std::size_t before = reports();
        script->answer(forms::vbOK), script->answer(forms::vbOK);
        const Units u = readUnits();
        SCOPED_TRACE(length);
        EXPECT_EQ(u.force1Factor, 1e38);
        ASSERT_EQ(reports(), before + (refused ? 2 : 0));
        if (!refused) {
            EXPECT_TRUE(u.length1 == text(40) && u.length1Factor == std::stod(length) && u.length2 == text(42));
            continue;
        }
        EXPECT_TRUE(u.length1 == text(28) && u.length1Factor == 1.0 && u.length2 == text(28) && u.length2Factor == 1.0);
        const std::string& prompt = script->boxes().back().prompt;
        EXPECT_TRUE(prompt.find(programDir() + "Units ") != std::string::npos && prompt.find(text(28)) != std::string::npos &&
                    prompt.find(" " + rt::Variant(std::stod(length)).toString() + ",") != std::string::npos) << prompt;
    }
}

TEST_F(UnitsTest, ControlFileGivesDirectoryAndFlag)
{
    writeFile("STEU", "/srv/projects/raft/\r\n4\r\n");
    ControlFile c = dataDirectory(halvex::NoCompressedFlag);
    EXPECT_EQ(c.progrDir, programDir());
    EXPECT_EQ(c.dataDir, "/srv/projects/raft/") << "exactly as written";
    EXPECT_EQ(c.flag, halvex::CompressFinalResults);
    EXPECT_EQ(valmor.TextInf().toLong(), 140161);
    EXPECT_EQ(valmor.Prod(), programDir() + "STEU");

    writeFile("STEU", "/srv/projects, \"raft\"\n1\n");
    EXPECT_EQ(dataDirectory(halvex::NoCompressedFlag).dataDir, "/srv/projects, \"raft\"") << "the whole line";

    // A directory for every machine: "~/" is the user's home; "\" is "/".
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    writeFile("STEU", "~/Projects\r\n2\r\n");
    EXPECT_EQ(dataDirectory(halvex::NoCompressedFlag).dataDir, std::string(home) + "/Projects");
    writeFile("STEU", "\\data\\slabs\\\r\n2\r\n");
    EXPECT_EQ(dataDirectory(halvex::NoCompressedFlag).dataDir, "/data/slabs/");

    // A flag of -1 is not read and stays; the flag left out is not read
    // into the caller's.
    writeFile("STEU", "/srv/projects\r\n");
    EXPECT_EQ(dataDirectory(halvex::CompressedNotUsedFlag).flag, halvex::CompressedNotUsedFlag);
    std::string progrDir, dataDir;
    valmor.DataDirectory(progrDir, dataDir);
    EXPECT_EQ(dataDir, halvex::DefaultDataDirectory()) << "the file lacks the flag: nothing of it is used";
    EXPECT_EQ(reports(), 1u) << "only the call that wanted the missing flag reports";
}

TEST_F(UnitsTest, MissingControlFileGivesTheDefaults)
{
    const ControlFile c = dataDirectory(halvex::CompressedNotUsedFlag);
    EXPECT_EQ(c.progrDir, programDir());
    EXPECT_EQ(c.dataDir, halvex::DefaultDataDirectory());
    EXPECT_EQ(c.dataDir.back(), 's') << "no trailing separator";
    EXPECT_EQ(c.flag, halvex::CompressIntermediateResults) << "whatever was passed";
    EXPECT_EQ(reports(), 0u);
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        EXPECT_EQ(c.dataDir, std::string(home) + "/Projects");
    }
}

// A damaged file is named once and gives the defaults whole, never a
// directory or flag half read.
TEST_F(UnitsTest, DamagedControlFileGivesTheDefaultsWhole)
{
    std::size_t expected = 0;
    for (const char* damaged : {"/srv/projects\r\n", "/srv/projects\r\nfast\r\n", "/srv/projects\r\n1,5\r\n"}) {
        writeFile("STEU", damaged);
        const ControlFile c = dataDirectory(halvex::NoCompressedFlag);
        EXPECT_EQ(c.dataDir, halvex::DefaultDataDirectory()) << damaged;
        EXPECT_EQ(c.flag, halvex::CompressIntermediateResults) << damaged;
        ASSERT_EQ(reports(), ++expected) << damaged;
        EXPECT_NE(script->boxes().back().prompt.find(programDir() + "STEU"), std::string::npos);
    }

    // A blank first line names no directory.
    writeFile("STEU", "  \r\n1\r\n");
    const ControlFile c = dataDirectory(halvex::NoCompressedFlag);
    EXPECT_EQ(c.dataDir, halvex::DefaultDataDirectory());
    EXPECT_EQ(c.flag, halvex::CompressInputDataFlag);
    EXPECT_EQ(reports(), expected);
}

TEST(ProgramDirectoryTest, SampleFilesOfTheBuild)
{
    halvex::resetLibraryState();
    const std::string folder = halvex::ApplicationPath();
    EXPECT_TRUE(fs::exists(folder + "/libhalvex.so")) << folder;

    halvex::ClsValmor valmor;
    Units u;
    forms::ScopedMsgBox script;
    valmor.ReadUnits(u.length1, u.length1Factor, u.length2, u.length2Factor, u.force1, u.force1Factor, u.force2,
                     u.force2Factor, u.temperature);
    EXPECT_EQ(u.length1, text(28));
    EXPECT_EQ(u.force1, text(29));
    EXPECT_EQ(u.temperature, text(33));
    EXPECT_EQ(u.length1Factor, 1.0);
    EXPECT_EQ(u.force1Factor, 1.0);

    ControlFile c;
    valmor.DataDirectory(c.progrDir, c.dataDir, c.flag);
    EXPECT_EQ(c.progrDir, folder + "/");
    EXPECT_EQ(c.dataDir, halvex::DefaultDataDirectory());
    EXPECT_EQ(c.flag, halvex::CompressIntermediateResults);
    EXPECT_TRUE(script->boxes().empty());
}

}  // namespace
