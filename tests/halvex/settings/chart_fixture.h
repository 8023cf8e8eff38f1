// The chart-export tests: a fresh library state, a recording desktop, the
// real writer, TMPDIR at a folder of the test's own, and a table builder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "halvex/services/library_state.h"
#include "halvex/settings/cls_draw_chart.h"
#include "platform/forms/desktop.h"
#include "platform/forms/settings.h"
#include "platform/runtime/variant.h"

namespace charttest {

// The arguments of one DrawChart call, with a small valid table.
struct ChartCall {
    std::int16_t NSeries = 2, NoCol = 3, NoRow = 1, Ncons = 3;
    std::string X_Title = "x", Y_Title = "y";
    rt::VArray LegendTite{rt::VarType::String};
    std::string StrTableTitle = "Settlements";
    rt::VArray CellTxt;
    rt::VArray ColTitle{rt::VarType::String};
    bool Y_AxesDownwardFlag = false;
    rt::VArray LineType{rt::VarType::String};
    float MinX = 0, MaxX = 10, MinY = -5;
    std::string ProjectData = "Project";
    std::string TitelUe1, TitelUe2, TitelU1 = "Title", TitelU2, Firma1 = "Company", Firma2;
    bool FailureControl = false, JumpHEqualZero = false;

    ChartCall() { resize(); }

    // Arrays sized for the counts: headings "h<i>.<j>", data rows k with
    // X = k and curve values 10 k + j, legends "curve <s>", line kinds "".
    void resize()
    {
        ColTitle.redim(1, NoRow, 1, NoCol);
        for (int i = 1; i <= NoRow; ++i)
            for (int j = 1; j <= NoCol; ++j) ColTitle.at(i, j) = "h" + std::to_string(i) + "." + std::to_string(j);
        CellTxt.redim(1, Ncons, 1, NoCol);
        for (int k = 1; k <= Ncons; ++k)
            for (int j = 1; j <= NoCol; ++j) CellTxt.at(k, j) = j == 1 ? double(k) : double(10 * k + j);
        LegendTite.redim(1, NSeries);
        LineType.redim(1, NSeries);
        for (int s = 1; s <= NSeries; ++s) LegendTite.at(s) = "curve " + std::to_string(s);
    }

    void run() const
    {
        halvex::ClsDrawChart().DrawChart(NSeries, NoCol, NoRow, Ncons, X_Title, Y_Title, LegendTite, StrTableTitle,
                                         CellTxt, ColTitle, Y_AxesDownwardFlag, LineType, MinX, MaxX, MinY,
                                         ProjectData, TitelUe1, TitelUe2, TitelU1, TitelU2, Firma1, Firma2,
                                         FailureControl, JumpHEqualZero);
    }
};

class ChartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousSettings_ = forms::setSettingsStore(std::make_shared<forms::MemorySettingsStore>());
        halvex::resetLibraryState();
        desktop_ = std::make_shared<forms::RecordingDesktop>();
        previousDesktop_ = forms::setDesktop(desktop_);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("halvex_chart_" + std::string(info->test_suite_name()) + "_" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        if (const char* tmp = std::getenv("TMPDIR")) previousTmp_ = tmp;
        ::setenv("TMPDIR", folder_.c_str(), 1);
        previousFactory_ = halvex::setChartBackendFactory(nullptr);
    }
    void TearDown() override
    {
        halvex::setChartBackendFactory(previousFactory_);
        previousTmp_ ? ::setenv("TMPDIR", previousTmp_->c_str(), 1) : ::unsetenv("TMPDIR");
        std::filesystem::remove_all(folder_);
        forms::setDesktop(previousDesktop_);
        halvex::resetLibraryState();
        forms::setSettingsStore(previousSettings_);
    }

    static void useInterfaceLanguage(const std::string& engname)
    {
        forms::settings().save("valmor", "Interface Language setting", "Language", engname);
        halvex::resetLibraryState();
    }

    std::string folder() const { return folder_.string(); }
    forms::RecordingDesktop& desktop() { return *desktop_; }

private:
    std::shared_ptr<forms::SettingsStore> previousSettings_;
    std::shared_ptr<forms::Desktop> previousDesktop_;
    std::shared_ptr<forms::RecordingDesktop> desktop_;
    std::filesystem::path folder_;
    std::optional<std::string> previousTmp_;
    halvex::ChartBackendFactory previousFactory_;
};

}  // namespace charttest
