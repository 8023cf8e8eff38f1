#include <filesystem>

#include "orvelo/project/data_files.h"
#include "platform/runtime/datachannel.h"
#include "project_fixture.h"

using orvelo::CloseDataFile;
using orvelo::HandleError;
using orvelo::OpenDataFile;

namespace {

class DataFilesTest : public ProjectTest {};

TEST_F(DataFilesTest, MissingInputFileShowsOneMessageAndStopsTheRunOnlyWhenAsked) {
    const std::string path = folder.path("SLAB.GL1");
    for (std::int16_t mode : {std::int16_t{halvex::InputMode}, std::int16_t{halvex::GetRandomMode}}) {
        for (std::int16_t context : {0, 2, 4, 7}) {
            orvelo::RunControl().RunState(0);
            const std::int32_t updatesBefore = window->updateCount();
            const std::size_t boxesBefore = box->boxes().size();
            box->answer(forms::vbOK);
            EXPECT_EQ(OpenDataFile(path, mode, 1, context), -1);
            EXPECT_FALSE(rt::dataChannel().isOpen());
            ASSERT_EQ(box->boxes().size(), boxesBefore + 1);
            const forms::MessageBoxRequest& shown = box->boxes().back();
            EXPECT_EQ(forms::iconOf(shown.style), forms::vbExclamation);
            EXPECT_NE(shown.prompt.find(path), std::string::npos) << shown.prompt;
            if (context == 0) {
                EXPECT_EQ(runState(), 0) << "context 0 leaves the run going";
                EXPECT_EQ(window->updateCount(), updatesBefore);
            } else {
                EXPECT_EQ(runState(), halvex::ExitWithoutSaving) << context;
                EXPECT_EQ(window->updateCount(), updatesBefore + 1) << "one step of progress";
            }
        }
    }
}

TEST_F(DataFilesTest, InputFileIsFoundWhateverTheCaseOfItsName) {
    folder.write("slab.gl1", "7\r\n");
    ASSERT_EQ(OpenDataFile(folder.path("SLAB.GL1"), halvex::InputMode, 1, 0), 0);
    EXPECT_EQ(rt::dataChannel().reader().readInteger(), 7);
    CloseDataFile(1);
    EXPECT_TRUE(box->boxes().empty());
}

TEST_F(DataFilesTest, StatusLineNamesTheFileAndSaysReadingOrSaving) {
    const std::string path = folder.path("SLAB.PL6");
    orvelo::SharedServices().Prod(path);
    ASSERT_EQ(OpenDataFile(path, halvex::OutputMode, 1, 0), 0);
    CloseDataFile(1);
    const std::string saving = window->statusText();
    EXPECT_EQ(saving.rfind("Saving file " + path + " ", 0), 0u) << saving;
    EXPECT_EQ(saving.back(), ' ');
    EXPECT_NE(saving.find(" ("), std::string::npos) << "the file kind follows";
    EXPECT_EQ(saving.find("  "), std::string::npos) << "one blank between the path and the kind";

    ASSERT_EQ(OpenDataFile(path, halvex::InputMode, 1, halvex::DisplyFileName), 0);
    CloseDataFile(1);
    EXPECT_EQ(window->statusText().rfind("Reading file " + path + " ", 0), 0u);

    // Without a file kind only the path text and one blank.
    orvelo::SharedServices().TextInf(rt::Variant(std::int16_t{0}));
    orvelo::ShowFileStatus(halvex::ReadingFile);
    EXPECT_EQ(window->statusText(), "Reading file " + path + " ");
}

TEST_F(DataFilesTest, HandleErrorReportsClosesFileOneAndDropsAFileBeingWritten) {
    const std::string path = folder.write("SLAB.GL1", "old contents\r\n");
    orvelo::SharedServices().Prod(path);
    ASSERT_EQ(OpenDataFile(path, halvex::OutputMode, 1, 0), 0);
    rt::dataChannel().writer().writeValues(std::int16_t{1});
    box->answer(forms::vbOK);
    try {
        rt::raise(62);
    } catch (const rt::RuntimeError&) {
        HandleError();
    }
    EXPECT_FALSE(rt::dataChannel().isOpen());
    EXPECT_EQ(folder.read("SLAB.GL1"), "old contents\r\n") << "the half-written file never replaces it";
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    ASSERT_EQ(boxIcons(), std::vector<std::int32_t>{forms::vbCritical});
    EXPECT_NE(box->boxes()[0].prompt.find(path), std::string::npos);
    EXPECT_EQ(runState(), 0) << "the error exit does not stop the run itself";

    // With nothing open and no error: no message, no failure.
    HandleError();
    EXPECT_EQ(box->boxes().size(), 1u);
}

TEST_F(DataFilesTest, WrittenFilesTakeTheirPlaceOnlyWhenClosed) {
    const std::string path = folder.write("SLAB.P21", std::string(256, '\0'));
    ASSERT_EQ(OpenDataFile(path, halvex::PutRandomMode, 1, 0), 0);
    rt::dataChannel().records().putInteger(2, 5);
    EXPECT_EQ(folder.read("SLAB.P21"), std::string(256, '\0')) << "not yet in place";
    CloseDataFile(1);
    ASSERT_EQ(OpenDataFile(path, halvex::GetRandomMode, 1, 0), 0);
    EXPECT_EQ(rt::dataChannel().records().getInteger(2), 5);
    EXPECT_EQ(rt::dataChannel().records().recordCount(), 2) << "the rest of the file is kept";
    CloseDataFile(1);

    // A new file opened for output and never closed through CloseDataFile
    // does not appear.
    const std::string fresh = folder.path("SLAB.GL2");
    ASSERT_EQ(OpenDataFile(fresh, halvex::OutputMode, 1, 0), 0);
    rt::dataChannel().writer().writeValues(std::int16_t{3});
    rt::dataChannel().close();
    EXPECT_EQ(OpenDataFile(path, halvex::GetRandomMode, 1, 0), 0);
    CloseDataFile(1);
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_FALSE(std::filesystem::exists(fresh + ".tmp"));
    EXPECT_TRUE(box->boxes().empty());
}

}  // namespace
