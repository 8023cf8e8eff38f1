// What the operation tests of the internal forces share: a fresh program
// state, a temporary project folder, scripted message boxes, a wait window
// standing for the running operation's, and a small hand-made project with
// the solver's files of a known deflection field.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/library_state.h"
#include "orvelo/forces/forces_data.h"
#include "orvelo/forces/plate_test_support.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "orvelo/program_fixture.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/numbertext.h"
#include "platform/runtime/recordfile.h"
#include "platform/runtime/temp_folder.h"

class ForcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        orvelotest::ResetProgramState();
        orvelo::resetInternalForces();
        window = std::make_shared<drovik::ClsWaitWindow>();
        orvelo::SetOperationWaitWindowSource([this] { return window.get(); });
        orvelo::Declar& d = orvelo::declar();
        d.DataDir = folder.dir();
        d.ProgrDir = folder.dir();
        d.ProjectCount = 1;
        d.ProjectList = {"", "SLAB"};
        d.MaxElementSize = 1.0f;
        d.MinElementSize = 0.25f;
    }

    void TearDown() override {
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        orvelotest::ReleaseProgramState();
    }

    std::int16_t runState() { return orvelo::RunControl().RunState(); }

    // The prompts of the boxes shown so far.
    std::vector<std::string> prompts() const { return orvelotest::PromptsOf(*box); }

    // The project header of SLAB.
    void writeHeader(int symmetry, int method, bool springs = false, bool supports = false,
                     bool beams = false, bool piles = false) const {
        folder.write("SLAB.PO1", std::to_string(symmetry) + "," + std::to_string(method) +
                                     "\r\n0,0,0,0," + (springs ? "1" : "0") + "," +
                                     (supports ? "1" : "0") + "," + (beams ? "1" : "0") +
                                     ",0,0,0,0,0," + (piles ? "1" : "0") + "\r\n");
    }

    static std::string line(float v) { return rt::formatSingle(v) + "\r\n"; }
    static std::string line(int v) { return std::to_string(v) + "\r\n"; }

    // The calculation net: a 3 x 3 grid of nodes over [0, 2] x [0, 2] with
    // the lower left and upper right cells quadrilaterals and the other two
    // cells two triangles each. Project node n = 1 + i + 3 j lies at (i, j);
    // its calculation-net number is map[n]. The solver's files of SLAB: .PL9,
    // .PL3, .PC7, .PC8, .PL4, .PH2 and .PG1 of the field, .P21 of one group.
    void writeSolverFiles(const forcestest::Field& field, const std::vector<int>& map) {
        calcMap = map;
        std::vector<float> x(10), y(10);
        for (int n = 1; n <= 9; ++n) {
            x[map[n]] = static_cast<float>((n - 1) % 3);
            y[map[n]] = static_cast<float>((n - 1) / 3);
        }
        std::string pl9 = line(9);
        for (int c = 1; c <= 9; ++c)
            pl9 += rt::formatSingle(x[c]) + "," + rt::formatSingle(y[c]) + "\r\n";
        const std::vector<std::vector<int>> elements = {{1, 2, 5, 4}, {2, 3, 6}, {2, 6, 5},
                                                        {4, 5, 8},    {4, 8, 7}, {5, 6, 9, 8}};
        pl9 += line(static_cast<int>(elements.size()));
        for (const auto& e : elements) {
            pl9 += std::to_string(e.size());
            for (int n : e) pl9 += "," + std::to_string(map[n]);
            pl9 += "\r\n";
        }
        for (std::size_t e = 0; e < elements.size(); ++e) pl9 += line(1);
        folder.write("SLAB.PL9", pl9);

        std::string pl3;
        for (int n = 1; n <= 9; ++n) pl3 += line(map[n]);
        folder.write("SLAB.PL3", pl3);
        folder.write("SLAB.PC7", "1,2,3,4\r\n");
        folder.write("SLAB.PC8", "5,6,7\r\n");
        std::string pl4 = line(9), ph2;
        for (int n = 1; n <= 9; ++n) {
            pl4 += line(0.5f * n);
            ph2 += line(0.25f * n);
        }
        folder.write("SLAB.PL4", pl4);
        folder.write("SLAB.PH2", ph2);
        std::string pg1;
        for (int c = 1; c <= 9; ++c)
            pg1 += line(static_cast<float>(field.w(x[c], y[c]))) +
                   line(static_cast<float>(field.d(1, 0, x[c], y[c]))) +
                   line(static_cast<float>(field.d(0, 1, x[c], y[c])));
        folder.write("SLAB.PG1", pg1);
        writeGroups({{0.3f, 3.0e7f, 0.2f}});
    }

    // .P21 with the groups given as thickness, modulus, Poisson's ratio.
    void writeGroups(const std::vector<std::array<float, 3>>& groups) const {
        rt::RecordFile records;
        records.open(folder.path("SLAB.P21"), true);
        records.putInteger(2, static_cast<std::int16_t>(groups.size()));
        for (std::size_t g = 1; g <= groups.size(); ++g) {
            const auto r = static_cast<std::int32_t>(3 * g);
            records.putSingle(r + 7, groups[g - 1][0]);
            records.putSingle(r + 8, groups[g - 1][1]);
            records.putSingle(r + 9, groups[g - 1][2]);
        }
        records.close();
    }

    // A field whose shear force varies over the net.
    static forcestest::Field curvedField() {
        forcestest::Field f;
        f.c = {0.0, 1e-4, -2e-4, 3e-4, -1e-4, 2e-4, 4e-4, -2e-4, 3e-4, 1e-4, 2e-5, -3e-5};
        return f;
    }

    // The identity node order and a shuffled one.
    static std::vector<int> identityMap() { return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}; }
    static std::vector<int> shuffledMap() { return {0, 7, 3, 9, 1, 5, 8, 2, 6, 4}; }

    forms::ScopedMsgBox box;
    TempFolder folder;
    std::shared_ptr<drovik::ClsWaitWindow> window;
    std::vector<int> calcMap;
};
