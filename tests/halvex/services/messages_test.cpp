// The common error report, the missing-file test and the library's file
// opening.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string text(std::int32_t number, std::vector<rt::Variant> list = {})
{
    return halvex::textLib().GetText(rt::Variant(number), list);
}

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        halvex::libraryFileChannel().reset();
    }
    void TearDown() override { halvex::libraryFileChannel().reset(); }

    std::string path(const std::string& name) const { return folder.path(name); }
    void writeFile(const std::string& name, const std::string& content) const { folder.write(name, content); }
    // Opens the library's file 1, so that a report can be seen to close it.
    void openLibraryFile()
    {
        writeFile("open.txt", "1\r\n");
        halvex::libraryFileChannel().openInput(path("open.txt"));
    }

    TempFolder folder;
};

TEST_F(MessagesTest, ReportErrorByNumber)
{
    halvex::ClsValmor valmor;
    valmor.Prod("/data/raft.P41");
    valmor.TextInf(rt::Variant(std::int32_t{140005}));
    forms::ScopedMsgBox script;
    for (int i = 0; i < 5; ++i) script->answer(forms::vbOK);

    const std::vector<rt::RuntimeError> errors = {rt::RuntimeError(53, "File not found"),
                                                  rt::RuntimeError(62, "Input past end of file"),
                                                  rt::RuntimeError(70, "Permission denied"),
                                                  rt::RuntimeError(-2147024891, "Access is denied."),
                                                  rt::RuntimeError(0, "no error")};
    for (const rt::RuntimeError& error : errors) {
        openLibraryFile();
        forms::screen().MousePointer(11);
        try {
            throw error;
        } catch (const rt::RuntimeError&) {
            valmor.ValmorErrorHandling();
        }
        EXPECT_FALSE(halvex::libraryFileChannel().isOpen()) << error.number();
        EXPECT_EQ(forms::screen().MousePointer(), 0) << error.number();
    }

    ASSERT_EQ(script->boxes().size(), 4u) << "error 0 shows nothing";
    EXPECT_EQ(script->boxes()[0].prompt, text(140160, {"|1", "/data/raft.P41"}));
    EXPECT_EQ(script->boxes()[0].style, forms::vbExclamation);
    EXPECT_EQ(script->boxes()[1].prompt,
              text(140000, {"|1", "/data/raft.P41"}) + "\r\r (" + text(140005) + ") ");
    EXPECT_EQ(script->boxes()[1].style, forms::vbCritical);
    EXPECT_EQ(script->boxes()[2].prompt, "Permission denied");
    EXPECT_EQ(script->boxes()[2].style, forms::vbCritical);
    EXPECT_EQ(script->boxes()[3].prompt, "Access is denied.") << "beyond the 16-bit range";
    for (const forms::MessageBoxRequest& box : script->boxes()) EXPECT_EQ(box.title, text(5));

    // A program that has a name gives its boxes that title.
    const std::string before = forms::app().Title;
    forms::app().Title = "Tessaro";
    try { throw rt::RuntimeError(53, "File not found"); } catch (const rt::RuntimeError&) { valmor.ValmorErrorHandling(); }
    forms::app().Title = before;
    EXPECT_EQ(script->boxes().size() == 5 ? script->boxes()[4].title : "", "Tessaro");
}

TEST_F(MessagesTest, ReportErrorEdges)
{
    forms::ScopedMsgBox script;
    script->answer(forms::vbOK);
    script->answer(forms::vbOK);

    // Outside a handler there is no error: file 1 is closed, nothing shown.
    openLibraryFile();
    halvex::ClsValmor().ValmorErrorHandling();
    EXPECT_FALSE(halvex::libraryFileChannel().isOpen());
    EXPECT_TRUE(script->boxes().empty());

    // Without a kind the read-error text ends in the two returns.
    halvex::libraryState().CurrentFilePath = "/data/Units";
    halvex::libraryState().FileTypeText = rt::Variant("");
    halvex::ReportError(rt::RuntimeError(62, "Input past end of file"));
    ASSERT_EQ(script->boxes().size(), 1u);
    EXPECT_EQ(script->boxes()[0].prompt, text(140000, {"|1", "/data/Units"}) + "\r\r");

    // An exception that is no run-time error is reported by its message.
    try {
        throw std::runtime_error("table damaged");
    } catch (const std::exception&) {
        halvex::ReportError();
    }
    ASSERT_EQ(script->boxes().size(), 2u);
    EXPECT_EQ(script->boxes()[1].prompt, "table damaged");
}

TEST_F(MessagesTest, CheckFileMissingTakesThePathLiterally)
{
    writeFile("slab1.P41", "x");
    writeFile(".hidden", "x");
    writeFile("a*b?.txt", "x");
    fs::create_directories(path("sub"));
    EXPECT_FALSE(halvex::CheckFileMissing(path("slab1.P41"), true).toBool());
    EXPECT_FALSE(halvex::CheckFileMissing(path(".hidden"), true).toBool()) << "a dot file is a file";
    EXPECT_FALSE(halvex::CheckFileMissing(path("a*b?.txt"), true).toBool()) << "wildcards are characters";
    EXPECT_TRUE(halvex::CheckFileMissing(path("slab*.P41"), true).toBool()) << "no pattern matching";
    EXPECT_TRUE(halvex::CheckFileMissing(path("slab?.P41"), true).toBool());
    EXPECT_TRUE(halvex::CheckFileMissing(path("sub"), true).toBool()) << "a folder is no file";
    EXPECT_TRUE(halvex::CheckFileMissing(std::string("a\0b", 3), true).toBool());
}

TEST_F(MessagesTest, MissingFileMessageIsTitledWithTheKind)
{
    forms::ScopedMsgBox script;
    script->answer(forms::vbOK);
    script->answer(forms::vbOK);
    halvex::ClsValmor valmor;
    const rt::Variant result = valmor.FileNotExist(path("gone.PO1"));
    EXPECT_EQ(result.type(), rt::VarType::Boolean);
    EXPECT_TRUE(result.toBool());
    ASSERT_EQ(script->boxes().size(), 1u);
    EXPECT_EQ(script->boxes()[0].prompt, text(140160, {"|1", path("gone.PO1")}));
    EXPECT_EQ(script->boxes()[0].style, forms::vbExclamation);
    EXPECT_EQ(script->boxes()[0].title, text(5)) << "no kind yet: text 5";
    EXPECT_EQ(valmor.TextInf().toLong(), 5);

    valmor.TextInf(rt::Variant(std::int32_t{140005}));
    EXPECT_TRUE(valmor.FileNotExist(path("gone.PO1")).toBool());
    ASSERT_EQ(script->boxes().size(), 2u);
    EXPECT_EQ(script->boxes()[1].title, text(140005));
    try {
        valmor.FileNotExist("");
        ADD_FAILURE() << "no name is refused";
    } catch (const rt::RuntimeError& error) {
        EXPECT_TRUE(error.number() == 5 && error.description().find("FileNotExist") != std::string::npos &&
                    error.description().find("pathname") != std::string::npos) << error.description();
    }
    EXPECT_EQ(script->boxes().size(), 2u);

    EXPECT_TRUE(valmor.FileNotExist(path("gone.PO1"), true).toBool());
    EXPECT_EQ(script->boxes().size(), 2u) << "quiet";
}

TEST_F(MessagesTest, OpenFileByModeReportsWhatItOpened)
{
    forms::ScopedMsgBox script;
    writeFile("Units", "\"[m]\",1\r\n");
    EXPECT_EQ(halvex::OpenFileByMode(path("Units"), halvex::InputMode, 1, 0, nullptr), 0);
    EXPECT_EQ(halvex::libraryFileChannel().reader().readString(), "[m]");
    EXPECT_EQ(halvex::libraryState().FileTypeText.toLong(), 17) << "the kind comes from the path";
    halvex::libraryFileChannel().close();

    // Writing: no existence test, the file is created.
    EXPECT_EQ(halvex::OpenFileByMode(path("new.P21"), halvex::PutRandomMode, 1, halvex::NotDisplay, nullptr), 0);
    halvex::libraryFileChannel().records().putInteger(2, 7);
    halvex::libraryFileChannel().close();
    EXPECT_EQ(fs::file_size(path("new.P21")), 130u);

    // A mode outside the list opens nothing and fails.
    EXPECT_EQ(halvex::OpenFileByMode(path("x.txt"), 5, 1, 0, nullptr), -1);
    EXPECT_EQ(halvex::OpenFileByMode(path("x.txt"), 0, 1, 0, nullptr), -1);
    EXPECT_FALSE(halvex::libraryFileChannel().isOpen());
    EXPECT_FALSE(fs::exists(path("x.txt")));
    EXPECT_TRUE(script->boxes().empty());

    // Errors of the open pass to the caller; the library has file 1 only.
    EXPECT_EQ(errorNumberOf([&] { halvex::OpenFileByMode(path("no/dir.GL1"), halvex::OutputMode, 1, 0, nullptr); }),
              76);
    EXPECT_EQ(errorNumberOf([&] { halvex::OpenFileByMode(path("Units"), halvex::InputMode, 2, 0, nullptr); }), 52);
    EXPECT_FALSE(halvex::libraryFileChannel().isOpen());
}

TEST_F(MessagesTest, OpenFileByModeAndTheWaitForm)
{
    forms::Form waitForm("frmWait", [](forms::Form& f) {
        f.Move(0, 0, 4000, 2000);
        f.addControl(forms::Kind::Label, "LblFlashing").Move(0, 0, 3000, 600);
        f.addControl(forms::Kind::Label, "LblInfText").Move(0, 0, 3000, 600);
        f.addControl(forms::Kind::CommandButton, "cmdOK").Move(0, 0, 1250, 375);
    });
    const auto infoText = [&] { return waitForm.control("LblInfText").Caption(); };
    writeFile("raft.PL6", "1\r\n");

    halvex::libraryState().CurrentFilePath = path("raft.PL6");
    ASSERT_EQ(halvex::OpenFileByMode(path("raft.PL6"), halvex::InputMode, 1, halvex::ReadingFile, &waitForm), 0);
    halvex::libraryFileChannel().close();
    EXPECT_EQ(infoText().rfind(text(140197, {"|1", path("raft.PL6")}), 0), 0u) << infoText();

    // A written file shows the saving text.
    halvex::libraryState().CurrentFilePath = path("out.PL6");
    ASSERT_EQ(halvex::OpenFileByMode(path("out.PL6"), halvex::OutputMode, 1, halvex::ReadingFile, &waitForm), 0);
    halvex::libraryFileChannel().close();
    EXPECT_EQ(infoText().rfind(text(140198, {"|1", path("out.PL6")}), 0), 0u) << infoText();

    waitForm.control("LblInfText").Caption("untouched");
    ASSERT_EQ(halvex::OpenFileByMode(path("out.PL6"), halvex::OutputMode, 1, halvex::NotDisplay, &waitForm), 0);
    halvex::libraryFileChannel().close();
    EXPECT_EQ(infoText(), "untouched");

    // A missing file: the message, -1, and the form unloaded only for a
    // positive display kind.
    forms::ScopedMsgBox script;
    script->answer(forms::vbOK);
    script->answer(forms::vbOK);
    EXPECT_EQ(halvex::OpenFileByMode(path("none.P41"), halvex::GetRandomMode, 1, 0, &waitForm), -1);
    EXPECT_TRUE(waitForm.loaded());
    EXPECT_EQ(halvex::OpenFileByMode(path("none.P41"), halvex::InputMode, 1, halvex::ReadingFile, &waitForm), -1);
    EXPECT_FALSE(waitForm.loaded());
    EXPECT_FALSE(halvex::libraryFileChannel().isOpen());
    EXPECT_EQ(script->boxes().size(), 2u);
}

TEST(AddBackslashTest, EndsAFolderPathOnce)
{
    EXPECT_EQ(halvex::AddBackslash("/home/eng/prog"), "/home/eng/prog/");
    EXPECT_EQ(halvex::AddBackslash("/home/eng/prog/"), "/home/eng/prog/");
    EXPECT_EQ(halvex::AddBackslash("C:\\prog\\"), "C:\\prog\\");
    EXPECT_EQ(halvex::AddBackslash(""), "/");
}

}  // namespace
