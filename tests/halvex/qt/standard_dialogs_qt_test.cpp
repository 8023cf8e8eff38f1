// The library's standard dialogs shown for real, offscreen: each opens
// through ClsValmor as a Qt window, is answered through its widgets from a
// timer inside the modal loop, and gives its verdict.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/qt/application.h"
#include "platform/forms/settings.h"

namespace {

using forms::qt::widgetOf;
using forms::qt::windowOf;

std::string text(std::int32_t number) { return halvex::textLib().GetText(rt::Variant(number)); }

forms::Form* loadedForm(const std::string& name)
{
    for (forms::Form* form : forms::loadedForms())
        if (form->Name() == name) return form;
    return nullptr;
}

// Answers the named form through its widgets once its modal loop runs
// (events may run earlier, while the form loads: it waits for the window).
// A form the answer leaves open is closed, so that a failure cannot hang.
void answerLater(const std::string& formName, std::function<void(forms::Form&)> answer, int attempts = 200)
{
    QTimer::singleShot(attempts == 200 ? 0 : 10, [formName, answer, attempts] {
        forms::Form* form = loadedForm(formName);
        if (form == nullptr || windowOf(*form) == nullptr || !windowOf(*form)->isVisible()) {
            if (attempts > 0)
                answerLater(formName, answer, attempts - 1);
            else
                ADD_FAILURE() << formName << " was never shown";
            return;
        }
        // The view fills its lists once the handler that filled the model returned.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        answer(*form);
        if (form->loaded() && form->Visible()) {
            ADD_FAILURE() << formName << " is still open";
            form->closeByUser();
        }
    });
}

void press(forms::Control& button)
{
    auto* widget = qobject_cast<QAbstractButton*>(widgetOf(button));
    ASSERT_NE(widget, nullptr) << button.Name();
    widget->click();
}

void type(forms::Control& box, const QString& characters)
{
    QWidget* widget = widgetOf(box);
    ASSERT_NE(widget, nullptr);
    for (QChar c : characters) {
        QKeyEvent down(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &down);
        QKeyEvent up(QEvent::KeyRelease, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &up);
    }
}

class StandardDialogsQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        ASSERT_TRUE(folder_.isValid());
        halvex::libraryState().ApplicationPath = folder_.path().toStdString();
        previousDesktop_ = forms::setDesktop(desktop_);
    }
    void TearDown() override
    {
        forms::setDesktop(previousDesktop_);
        halvex::resetLibraryState();
    }

    halvex::ClsValmor valmor;
    QTemporaryDir folder_;
    std::shared_ptr<forms::RecordingDesktop> desktop_ = std::make_shared<forms::RecordingDesktop>();

private:
    std::shared_ptr<forms::Desktop> previousDesktop_;
};

TEST_F(StandardDialogsQt, GroupListAndOptionListAnswerThroughTheirWidgets)
{
    rt::VArray entries(rt::VarType::String);
    entries.redim(0, 3);
    entries.at(1) = rt::Variant("Springs");
    entries.at(2) = rt::Variant("Piles");
    entries.at(3) = rt::Variant("Borings");
    rt::VArray chosen;
    answerLater("frmGroupList", [](forms::Form& form) {
        auto* list = qobject_cast<QListWidget*>(widgetOf(form.control("LstGroup")));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 3);
        list->item(2)->setCheckState(Qt::Checked);
        press(form.control("cmdOK"));
    });
    EXPECT_FALSE(valmor.ShowGroupList("Data kinds", "Carry over:", entries, chosen));
    ASSERT_EQ(chosen.ubound(1), 1);
    EXPECT_EQ(chosen.at(1).toString(), "Borings");

    std::string choice;
    answerLater("frmMnuView", [](forms::Form& form) {
        EXPECT_EQ(windowOf(form)->windowTitle().toStdString(), "Mesh");
        press(form.control("OptList", 1));
        press(form.control("cmdOK"));
    });
    EXPECT_FALSE(valmor.ShowMenuView("Mesh", entries, choice));
    EXPECT_EQ(choice, "Piles");

    answerLater("frmMnuView", [](forms::Form& form) { press(form.control("CmdCancel")); });
    EXPECT_TRUE(valmor.ShowMenuView("Mesh", entries, choice));
    EXPECT_FALSE(valmor.chooseControl());
}

TEST_F(StandardDialogsQt, CompanyHeaderLanguageAndAboutBox)
{
    std::string line1;
    std::string line2;
    answerLater("frmFirma", [](forms::Form& form) {
        type(form.control("txtFirma1"), "Acme");
        type(form.control("txtFirma2"), "Berlin");
        press(form.control("cmdSave"));
    });
    EXPECT_FALSE(valmor.ShowFirma(line1, line2));
    EXPECT_EQ(line1, "Acme");
    EXPECT_EQ(line2, "Berlin");
    std::ifstream file(folder_.path().toStdString() + "/Firma", std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    EXPECT_EQ(bytes.str(), "Acme\r\nBerlin\r\n" + std::string(68, '-') + "\r\n");

    answerLater("frmLanguage", [](forms::Form& form) {
        auto* combo = qobject_cast<QComboBox*>(widgetOf(form.control("CmbLanguage2")));
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->count(), 3);
        combo->setEditText("German");
        press(form.control("cmdSave"));
    });
    valmor.ShowLanguageSetting();
    EXPECT_TRUE(valmor.chooseControl());
    EXPECT_EQ(forms::settings().get("valmor", "Help Language setting", "Language", ""), "German");

    valmor.MirvaProg(halvex::MirvaData);
    answerLater("frmAbout", [](forms::Form& form) {
        EXPECT_EQ(windowOf(form)->windowTitle().toStdString(), text(140119));
        auto* title = qobject_cast<QLabel*>(widgetOf(form.control("lblTitle")));
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text().toStdString(), text(160005) + text(90167));
        press(form.control("cmdOK"));
    });
    EXPECT_TRUE(valmor.ShowAbout().isEmpty());
    EXPECT_EQ(loadedForm("frmAbout"), nullptr);
}

}  // namespace
