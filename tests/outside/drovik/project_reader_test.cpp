#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "outside/drovik/file_check.h"
#include "outside/drovik/project_reader.h"
#include "platform/runtime/temp_folder.h"
#include "platform/runtime/textfile.h"

namespace {

using orvelo::NetElement;

struct Header {
    std::int32_t symmetry = -7;
    std::int32_t method = -7;
    std::array<std::int16_t, 13> options;
    Header() { options.fill(-7); }
};

// ReadProjectHeader into a Header; returns failed.
std::int16_t readHeader(drovik::ClsProjectReader& reader, Header& h, std::int16_t mode = -1) {
    std::int16_t failed = -1;
    auto& o = h.options;
    reader.ReadProjectHeader(h.symmetry, h.method, o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7],
                             o[8], o[9], o[10], o[11], o[12], mode, failed);
    return failed;
}

class ProjectFiles : public ::testing::Test {
protected:
    // A project file in the documented layout.
    std::string writeProject(const std::string& name, std::int32_t symmetry, std::int32_t method) {
        rt::TextWriter writer;
        writer.open(folder.path(name), rt::TextWriter::Mode::Output);
        writer.writeValues(symmetry, method);
        writer.writeValues({std::int16_t{1}, std::int16_t{0}, std::int16_t{1}, std::int16_t{0},
                            std::int16_t{1}, std::int16_t{0}, std::int16_t{2}, std::int16_t{-3},
                            std::int16_t{0}, std::int16_t{0}, std::int16_t{0}, std::int16_t{32767},
                            std::int16_t{1}});
        writer.printLine("rest of the project, not part of the header");
        writer.close();
        return folder.path(name);
    }

    // A .PL6 as the net writer writes it: one value a line. Nodes 1 (0,0),
    // 2 (2,0), 3 (2,1.5), 4 (0,1.5); a triangle and a quadrilateral.
    std::string goodNet() {
        return "4\r\n0\r\n0\r\n2\r\n0\r\n2\r\n1.5\r\n0\r\n1.5\r\n"
               "2\r\n"
               "3\r\n1\r\n5\r\n2\r\n8\r\n3\r\n2\r\n"
               "4\r\n1\r\n1\r\n2\r\n8\r\n3\r\n4\r\n4\r\n64\r\n";
    }

    TempFolder folder;
    drovik::ClsProjectReader reader;
};

TEST_F(ProjectFiles, HeaderReadsBackWhatWasWritten) {
    const std::string path = writeProject("slab.po1", 4, 22);
    std::int16_t failed = -1;
    reader.CheckProjectFile(folder.path("slab.PO1"), failed);  // the extension's case differs
    ASSERT_EQ(failed, 0);

    Header h;
    ASSERT_EQ(readHeader(reader, h), 0);
    EXPECT_EQ(h.symmetry, 4);
    EXPECT_EQ(h.method, 22);
    const std::array<std::int16_t, 13> expected{1, 0, 1, 0, 1, 0, 2, -3, 0, 0, 0, 32767, 1};
    EXPECT_EQ(h.options, expected);
}

TEST_F(ProjectFiles, HeaderFailuresLeaveTheValuesAlone) {
    std::int16_t failed = 0;
    reader.CheckProjectFile(folder.path("none.PO1"), failed);
    EXPECT_EQ(failed, 53);

    folder.write("short.PO1", "1,2\r\n1,0,1\r\n");
    reader.CheckProjectFile(folder.path("short.PO1"), failed);
    EXPECT_EQ(failed, 62);

    folder.write("text.PO1", "some,text\r\n");
    reader.CheckProjectFile(folder.path("text.PO1"), failed);
    EXPECT_EQ(failed, 13);

    writeProject("method14.PO1", 1, 14);
    reader.CheckProjectFile(folder.path("method14.PO1"), failed);
    EXPECT_EQ(failed, 9);
    writeProject("symmetry5.PO1", 5, 1);
    reader.CheckProjectFile(folder.path("symmetry5.PO1"), failed);
    EXPECT_EQ(failed, 9);

    // After a failed check no earlier file is read.
    writeProject("good.PO1", 2, 3);
    reader.CheckProjectFile(folder.path("good.PO1"), failed);
    ASSERT_EQ(failed, 0);
    reader.CheckProjectFile(folder.path("none.PO1"), failed);
    Header h;
    EXPECT_NE(readHeader(reader, h), 0);
    EXPECT_EQ(h.symmetry, -7);
    EXPECT_EQ(h.options[12], -7);

    // A file spoilt between the check and the read fails the read.
    reader.CheckProjectFile(folder.path("good.PO1"), failed);
    ASSERT_EQ(failed, 0);
    EXPECT_NE(readHeader(reader, h, 0), 0);  // only mode -1 is known
    folder.write("good.PO1", "2,3\r\n");
    EXPECT_EQ(readHeader(reader, h), 62);
    EXPECT_EQ(h.method, -7);
}

TEST_F(ProjectFiles, NetFileLoadsOneBasedLists) {
    folder.write("slab.pl6", goodNet());  // found under its lower-case extension
    std::int16_t elementCount = -1, nodeCount = -1, failed = -1;
    std::vector<NetElement> elements;
    std::vector<float> x{9.0f}, y;
    reader.ReadNetFile(folder.path("slab"), elementCount, elements, nodeCount, x, y, 0, nullptr,
                       failed);
    ASSERT_EQ(failed, 0);
    ASSERT_EQ(nodeCount, 4);
    ASSERT_EQ(x.size(), 5u);
    ASSERT_EQ(y.size(), 5u);
    EXPECT_EQ(x[0], 0.0f);
    EXPECT_EQ(x[3], 2.0f);
    EXPECT_EQ(y[3], 1.5f);
    ASSERT_EQ(elementCount, 2);
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[0], NetElement{});

    NetElement triangle;
    triangle.CornerCount = 3;
    triangle.Node = {0, 1, 2, 3, 0};
    triangle.Flag = {0, 5, 8, 2, 0};
    EXPECT_EQ(elements[1], triangle);
    NetElement quad;
    quad.CornerCount = 4;
    quad.Node = {0, 1, 2, 3, 4};
    quad.Flag = {0, 1, 8, 4, 64};
    EXPECT_EQ(elements[2], quad);
}

TEST_F(ProjectFiles, BrokenNetFilesFailWithoutTouchingTheNet) {
    const std::vector<std::pair<std::string, std::int16_t>> cases = {
        {goodNet().substr(0, goodNet().size() - 4), 62},              // ends before the last flag
        {"1\r\n0\r\n0\r\n1\r\n3\r\n1\r\n0\r\n1\r\n0\r\n2\r\n0\r\n", 9},  // node 2 of 1
        {"1\r\n0\r\n0\r\n1\r\n3\r\n1\r\n0\r\n1\r\n0\r\n0\r\n0\r\n", 9},  // node 0
        {"1\r\n0\r\n0\r\n1\r\n5\r\n", 9},                             // five corners
        {"40000\r\n", 6},                                            // beyond 32767
        {"-2\r\n", 6},                                               // negative count
        {"2\r\n0\r\nx\r\n", 13},                                     // not a number
        {"", 62},
    };
    for (const auto& [content, expected] : cases) {
        folder.write("bad.PL6", content);
        std::int16_t elementCount = 7, nodeCount = 7, failed = 0;
        std::vector<NetElement> elements(2);
        std::vector<float> x{1.0f, 2.0f}, y{3.0f};
        reader.ReadNetFile(folder.path("bad"), elementCount, elements, nodeCount, x, y, 0, nullptr,
                           failed);
        EXPECT_EQ(failed, expected) << content;
        EXPECT_EQ(nodeCount, 7);
        EXPECT_EQ(elementCount, 7);
        EXPECT_EQ(elements.size(), 2u);
        EXPECT_EQ(x, (std::vector<float>{1.0f, 2.0f}));
        EXPECT_EQ(y, (std::vector<float>{3.0f}));
    }

    std::int16_t elementCount = 0, nodeCount = 0, failed = 0;
    std::vector<NetElement> elements;
    std::vector<float> x, y;
    reader.ReadNetFile(folder.path("missing"), elementCount, elements, nodeCount, x, y, 0, nullptr,
                       failed);
    EXPECT_EQ(failed, 53);
}

TEST_F(ProjectFiles, PrepareFileAnswersWhetherTheFileCanBeRead) {
    drovik::ClsFileCheck check;
    std::int16_t failed = -1;
    folder.write("slab.gl1", "Version 9\r\n");
    check.PrepareFile(folder.path("slab.GL1"), 1, 1, nullptr, failed);
    EXPECT_EQ(failed, 0);
    check.PrepareFile(folder.path("other.GL1"), 1, 1, nullptr, failed);
    EXPECT_EQ(failed, 53);
    check.PrepareFile(folder.dir(), 1, 1, nullptr, failed);
    EXPECT_NE(failed, 0);
}

}  // namespace
