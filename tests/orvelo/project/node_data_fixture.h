// What the tests of the node-related data files and of their transfer
// share: fresh module data, the current project in the temporary folder,
// and the fixtures of tests/data/transfer/.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/bas_data.h"
#include "project_fixture.h"

class NodeDataTest : public ProjectTest {
protected:
    void SetUp() override {
        ProjectTest::SetUp();
        orvelo::resetBasData();
        orvelo::resetBoringData();
        orvelo::Declar& d = orvelo::declar();
        d.CurrentDataDir = folder.dir();
        d.CurrentProjectName = "SLAB";
        d.SymmetryKind = 1;
        d.AnalysisMethod = 1;
    }

    // A fixture file of tests/data/transfer/.
    static std::string fixture(const std::string& name) {
        std::ifstream in(std::string(OH_TEST_DATA) + "/transfer/" + name, std::ios::binary);
        EXPECT_TRUE(in.good()) << name;
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The fixture copied into the temporary folder under another name.
    void copyFixture(const std::string& name, const std::string& as) const {
        folder.write(as, fixture(name));
    }

    bool exists(const std::string& name) const {
        return std::filesystem::exists(folder.path(name));
    }
};

// A net over nx x ny square cells of side h from (x0, y0): nodes on the
// cell corners numbered row by row from 1 (node(i, j) = 1 + i + (nx + 1) j),
// each cell split by its rising diagonal into a lower and an upper
// triangle, the cells row by row.
inline orvelo::ProjectNet gridProjectNet(int nx, int ny, float h, float x0 = 0.0f, float y0 = 0.0f) {
    orvelo::ProjectNet net;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            net.NodeX.push_back(x0 + h * static_cast<float>(i));
            net.NodeY.push_back(y0 + h * static_cast<float>(j));
        }
    net.NodeCount = static_cast<std::int16_t>(net.NodeX.size() - 1);
    const auto node = [nx](int i, int j) { return static_cast<std::int16_t>(1 + i + (nx + 1) * j); };
    const auto triangle = [](std::int16_t a, std::int16_t b, std::int16_t c) {
        orvelo::NetElement e;
        e.CornerCount = 3;
        e.Node[1] = a;
        e.Node[2] = b;
        e.Node[3] = c;
        return e;
    };
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            net.ElementList.push_back(triangle(node(i, j), node(i + 1, j), node(i + 1, j + 1)));
            net.ElementList.push_back(triangle(node(i, j), node(i + 1, j + 1), node(i, j + 1)));
        }
    net.ElementCount = static_cast<std::int16_t>(net.ElementList.size() - 1);
    return net;
}

// The lines of a text file (CR LF or LF), without their line ends.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}
