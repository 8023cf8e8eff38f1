// The line settings dialog in the Qt view, offscreen, driven as a user
// would through the forms' input functions.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>

#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/setting_class.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/qt/application.h"

namespace {

forms::Form* shownForm(const std::string& name)
{
    for (forms::Form* form : forms::loadedForms()) {
        if (form->Name() == name && form->Visible()) return form;
    }
    return nullptr;
}

TEST(SettingsViewTest, TheLineDialogPicksAColourAndAStyleInTheQtView)
{
    QTemporaryDir folder;
    halvex::resetLibraryState();
    halvex::libraryState().ApplicationPath = folder.path().toStdString();
    halvex::libraryState().ProgramKind = 2;
    std::vector<std::int32_t> colors(36, 1), styles(36, 1);
    std::vector<float> widths(36, 0.5f);
    bool driven = false;
    QTimer::singleShot(0, [&] {
        forms::Form* form = shownForm("frmSetLine");
        if (form == nullptr) {
            ADD_FAILURE() << "the dialog is not shown";
            return;
        }
        EXPECT_NE(forms::qt::widgetOf(form->control("PicColor")), nullptr) << "shown in the Qt view";
        forms::Control& swatch = form->control("ShpLine", 9);
        forms::mouseMove(form->control("PicColor"), 0, 0, static_cast<float>(swatch.Left() + 10),
                         static_cast<float>(swatch.Top() + 10));
        forms::click(form->control("PicColor"));
        forms::mouseMove(form->control("PicStyle"), 0, 0, 300, 1680);
        forms::click(form->control("PicStyle"));
        driven = true;
        forms::click(form->control("cmdOK"));
    });
    halvex::SettingClass().ShowLineSetting(colors, styles, widths);
    EXPECT_TRUE(driven);
    EXPECT_EQ(colors[1], 9);
    EXPECT_EQ(styles[1], 5);
    EXPECT_EQ(colors[2], 1);
}

}  // namespace
