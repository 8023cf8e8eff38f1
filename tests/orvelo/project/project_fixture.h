// What the project-store tests share: a fresh program state, a temporary
// folder, scripted message boxes, a wait window standing for the running
// operation's, and small hand-made projects.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/library_state.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/net_files.h"
#include "orvelo/project/services.h"
#include "orvelo/program_fixture.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/temp_folder.h"

class ProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        orvelotest::ResetProgramState();
        window = std::make_shared<drovik::ClsWaitWindow>();
        orvelo::SetOperationWaitWindowSource([this] { return window.get(); });
    }

    void TearDown() override { orvelotest::ReleaseProgramState(); }

    std::int16_t runState() { return orvelo::RunControl().RunState(); }

    // Icons of the boxes shown so far.
    std::vector<std::int32_t> boxIcons() const {
        std::vector<std::int32_t> icons;
        for (const forms::MessageBoxRequest& request : box->boxes())
            icons.push_back(forms::iconOf(request.style));
        return icons;
    }

    // A project header: no symmetry, analysis method 1, options as given.
    void writeHeader(const std::string& name, std::int16_t option7 = 0) const {
        folder.write(name + ".PO1", "1,1\r\n0,0,0,0,1,0," + std::to_string(option7) +
                                        ",0,0,0,0,0,1\r\n");
    }

    // A unit square of two triangles with an outline of four pieces, one
    // opening of three pieces (MaxOpeningPieces 5), a single point, a line,
    // a grid and the net settings.
    static void makeSmallProject(orvelo::Declar& d) {
        // The unit square without the opening's triangle (nodes 5 to 7).
        d.NodeCount = 7;
        d.NodeX = {0, 0, 1, 1, 0, 0.25f, 0.5f, 0.25f};
        d.NodeY = {0, 0, 0, 1, 1, 0.25f, 0.25f, 0.5f};
        d.ElementCount = 7;
        d.ElementList.assign(8, orvelo::NetElement{});
        d.ElementList[1] = element({1, 2, 6}, {1, 8, 8});
        d.ElementList[2] = element({1, 6, 5}, {32, 1, 8});
        d.ElementList[3] = element({2, 3, 6}, {1, 8, 8});
        d.ElementList[4] = element({6, 3, 7}, {8, 8, 1});
        d.ElementList[5] = element({7, 3, 4}, {8, 1, 8});
        d.ElementList[6] = element({1, 5, 7}, {8, 1, 8});
        d.ElementList[7] = element({1, 7, 4}, {8, 8, 1});
        d.OutlinePieceCount = 4;
        d.OutlinePieces = {{},
                           orvelo::straightPiece(0, 0, 1, 0),
                           orvelo::arcPiece(1, 0, 1, 1, 0.5f, 0.5f, true),
                           orvelo::straightPiece(1, 1, 0, 1),
                           orvelo::straightPiece(0, 1, 0, 0)};
        d.OpeningCount = 1;
        d.MaxOpeningPieces = 5;
        d.OpeningPieceCount = {0, 3};
        d.OpeningPieces.assign(2, std::vector<orvelo::OutlinePiece>(6));
        d.OpeningPieces[1][1] = orvelo::straightPiece(0.25f, 0.25f, 0.5f, 0.25f);
        d.OpeningPieces[1][2] = orvelo::straightPiece(0.5f, 0.25f, 0.25f, 0.5f);
        d.OpeningPieces[1][3] = orvelo::straightPiece(0.25f, 0.5f, 0.25f, 0.25f);
        d.SinglePointCount = 1;
        d.SinglePoints = {{}, {0.75f, 0.125f}};
        d.LineCount = 1;
        d.LineStart = {{}, {0.1f, 0.9f}};
        d.LineEnd = {{}, {0.9f, 0.9f}};
        d.GridCountX = 2;
        d.GridX = {0, 0, 0.5f, 1};
        d.GridCountY = 1;
        d.GridY = {0, 0, 1};
        orvelo::NetSettings().SavedMeshType(5);
        orvelo::NetSettings().AngleLimit(30);
        orvelo::NetSettings().StoredValueA(1);
        orvelo::NetSettings().StoredValueB(0.25f);
    }

    static orvelo::NetElement element(std::vector<std::int16_t> nodes, std::vector<std::int32_t> flags) {
        orvelo::NetElement e;
        e.CornerCount = static_cast<std::int32_t>(nodes.size());
        for (std::size_t j = 0; j < nodes.size(); ++j) {
            e.Node[j + 1] = nodes[j];
            e.Flag[j + 1] = flags[j];
        }
        return e;
    }

    // A whole project in the temporary folder: header, .PL6 and .PL8 of
    // makeSmallProject; declar() is fresh afterwards.
    void writeSmallProject(const std::string& name) {
        writeHeader(name);
        makeSmallProject(orvelo::declar());
        ASSERT_TRUE(orvelo::WriteNetFiles(folder.dir() + name));
        orvelo::resetDeclar();
        orvelo::resetServices();
        orvelo::SetOperationWaitWindowSource([this] { return window.get(); });
    }

    // declar() set up to open folder/name.PO1.
    void chooseProject(const std::string& name) const {
        orvelo::Declar& d = orvelo::declar();
        d.ProjectPath = folder.path(name + ".PO1");
        d.DataDir = folder.dir();
        d.ProjectName = name;
    }

    forms::ScopedMsgBox box;
    TempFolder folder;
    std::shared_ptr<drovik::ClsWaitWindow> window;
};

// Float lists compared bit for bit (negative zero, NaN payloads).
inline std::vector<std::uint32_t> bitsOf(const std::vector<float>& values) {
    std::vector<std::uint32_t> bits;
    for (float v : values) bits.push_back(std::bit_cast<std::uint32_t>(v));
    return bits;
}
