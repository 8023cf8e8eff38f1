// The spreadsheet writer of chart exports: an .xlsx workbook written with
// libxlsxwriter. The file is written beside its path under a ".part" name
// and renamed into place once it is complete, so a failed save leaves no
// file behind.
#pragma once

#include <memory>
#include <string>

#include "platform/chart/chart_backend.h"

struct lxw_workbook;
struct lxw_worksheet;

namespace chart {

class XlsxChartBackend : public ChartBackend {
public:
    XlsxChartBackend() = default;
    ~XlsxChartBackend() override;
    XlsxChartBackend(const XlsxChartBackend&) = delete;
    XlsxChartBackend& operator=(const XlsxChartBackend&) = delete;

    void createWorkbook(const std::string& path) override;
    void addWorksheet(const std::string& name) override;
    void writeNumber(int row, int column, double value) override;
    void writeText(int row, int column, const std::string& text) override;
    void addChartSheet(const std::string& name, const ScatterChart& chart, const PageTexts& page) override;
    void setProperties(const DocumentProperties& properties) override;
    void save() override;

private:
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* worksheet_ = nullptr;
    std::string path_;
    std::string partPath_;
};

}  // namespace chart
