// The library's standard dialogs shown for real, offscreen, answered through
// their widgets from a timer inside the modal loop.
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

#include <functional>
#include <memory>
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

forms::Form* loadedForm(const std::string& name)
{
    for (forms::Form* form : forms::loadedForms())
        if (form->Name() == name) return form;
    return nullptr;
}

// Answers the named form through its widgets once its window shows; a form
// the answer leaves open is closed, so that a failure cannot hang.
void answerLater(const std::string& formName, std::function<void(forms::Form&)> answer, int attempts = 200)
{
    QTimer::singleShot(attempts == 200 ? 0 : 10, [formName, answer, attempts] {
        forms::Form* form = loadedForm(formName);
        if (form == nullptr || windowOf(*form) == nullptr || !windowOf(*form)->isVisible()) {
            if (attempts == 0) ADD_FAILURE() << formName << " was never shown";
            if (attempts > 0) answerLater(formName, answer, attempts - 1);
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
    for (QChar c : characters)
        for (QEvent::Type kind : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent key(kind, c.toUpper().unicode(), Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(widget, &key);
        }
}

class StandardDialogsQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        ASSERT_TRUE(folder_.isValid());
        halvex::libraryState().ApplicationPath = folder_.path().toStdString();
    }
    void TearDown() override
    {
        forms::setDesktop(previousDesktop_);
        halvex::resetLibraryState();
    }

    halvex::ClsValmor valmor;
    QTemporaryDir folder_;
    std::shared_ptr<forms::Desktop> previousDesktop_ = forms::setDesktop(std::make_shared<forms::RecordingDesktop>());
};

TEST_F(StandardDialogsQt, GroupListAndOptionListAnswerThroughTheirWidgets)
{
    rt::VArray entries(rt::VarType::String), chosen;
    entries.redim(0, 3);
    for (int k = 1; k <= 3; ++k) entries.at(k) = rt::Variant(k == 1 ? "Springs" : k == 2 ? "Piles" : "Borings");
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
        press(form.control("OptList", 1));
        press(form.control("cmdOK"));
    });
    EXPECT_FALSE(valmor.ShowMenuView("Mesh", entries, choice));
    EXPECT_EQ(choice, "Piles");
}

TEST_F(StandardDialogsQt, CompanyHeaderLanguageAndAboutBox)
{
    std::string line1, line2;
    answerLater("frmFirma", [](forms::Form& form) {
        type(form.control("txtFirma1"), "Acme");
        type(form.control("txtFirma2"), "Berlin");
        press(form.control("cmdSave"));
    });
    EXPECT_FALSE(valmor.ShowFirma(line1, line2));
    EXPECT_TRUE(line1 == "Acme" && line2 == "Berlin");

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

    answerLater("frmAbout", [](forms::Form& form) {
        auto* title = qobject_cast<QLabel*>(widgetOf(form.control("lblTitle")));
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text().toStdString(), form.control("lblTitle").Caption());
        press(form.control("cmdOK"));
    });
    EXPECT_TRUE(valmor.ShowAbout().isEmpty());
    EXPECT_EQ(loadedForm("frmAbout"), nullptr);
}

}  // namespace
