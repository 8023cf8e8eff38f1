// The recording chart backend: keeps everything a chart export asked for,
// for tests. Nothing is written to disk; save() fails with saveError when
// it is set.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/chart/chart_backend.h"

namespace chart {

class RecordingChartBackend : public ChartBackend {
public:
    using Cell = std::variant<double, std::string>;
    struct ChartSheet {
        std::string name;
        ScatterChart chart;
        PageTexts page;
    };

    void createWorkbook(const std::string& path) override;
    void addWorksheet(const std::string& name) override;
    void writeNumber(int row, int column, double value) override;
    void writeText(int row, int column, const std::string& text) override;
    void addChartSheet(const std::string& name, const ScatterChart& chart, const PageTexts& page) override;
    void setProperties(const DocumentProperties& properties) override;
    void save() override;

    // The cell at (row, column); nullptr when nothing was written there.
    const Cell* cell(int row, int column) const;

    std::string path;
    std::vector<std::string> worksheets;
    std::map<std::pair<int, int>, Cell> cells;
    std::vector<ChartSheet> chartSheets;
    DocumentProperties properties;
    bool saved = false;
    std::string saveError;  // "" = save succeeds
};

}  // namespace chart
