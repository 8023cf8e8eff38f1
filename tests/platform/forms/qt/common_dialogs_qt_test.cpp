// The Qt common dialogs, shown for real on the offscreen platform and
// answered from a timer as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/common_dialogs.h"
#include "platform/forms/qt/common_dialogs_qt.h"
#include "platform/forms/qt/font_dialog_qt.h"
#include "platform/forms/qt/qt_environment.h"
#include "platform/forms/types.h"

using namespace forms;
using namespace forms::qt;
using namespace std::string_literals;

namespace {

// A hook that records what it was told and answers CDN_FILEOK from a list.
class RecordingHook : public CommonDialogHook {
public:
    void initDialog(std::int32_t hDlg) override {
        events.push_back("init");
        window = hDlg;
        if (onInit) onInit(hDlg);
    }
    std::int32_t notify(std::int32_t, std::int32_t code) override {
        events.push_back("notify " + std::to_string(code));
        if (code != dlg::CDN_FILEOK || refusals == 0) return 0;
        --refusals;
        return 1;
    }
    void command(std::int32_t, std::int32_t wParam, std::int32_t) override {
        events.push_back("command " + std::to_string(wParam));
    }
    void destroy(std::int32_t) override { events.push_back("destroy"); }

    std::vector<std::string> events;
    std::int32_t window = 0;
    int refusals = 0;
    std::function<void(std::int32_t)> onInit;

    bool saw(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }
};

// Runs `act` on the modal dialog of type T once it is up.
template <typename T>
void whenShown(std::function<void(T&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no modal dialog of the expected type";
            if (QWidget* other = QApplication::activeModalWidget()) other->close();
            return;
        }
        act(*dialog);
        // A dialog the test left open would wait for ever.
        QTimer::singleShot(3000, [open = QPointer<T>(dialog)] {
            if (open && open->isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                open->reject();
            }
        });
    });
}

// OK as the user presses it (the file dialog's accept is not public).
void pressOk(QDialog& dialog) { dialog.accept(); }

// Types a name into the file dialog's name box (selectFile leaves the box
// alone while it has the focus).
void typeName(QFileDialog& dialog, const QString& name) {
    auto* box = dialog.findChild<QLineEdit*>("fileNameEdit");
    if (box == nullptr) {
        ADD_FAILURE() << "the file dialog has no name box";
        return;
    }
    box->setText(name);
}

std::string touch(const QTemporaryDir& dir, const char* name) {
    QFile file(dir.filePath(QString::fromUtf8(name)));
    file.open(QIODevice::WriteOnly);
    return dir.filePath(QString::fromUtf8(name)).toStdString();
}

}  // namespace

TEST(QtCommonDialogs, TheOpenDialogShowsTheFilterAndAnswersWithTheChosenFile) {
    formstest::application();
    QTemporaryDir dir;
    const std::string slab = touch(dir, "Slab1.PO1");
    touch(dir, "notes.txt");

    QtCommonDialogs dialogs;
    RecordingHook hook;
    OpenFileRecord record;
    record.filter = "Project file (*.PO1)\0*.PO1\0Text: notes\0*.txt\0\0"s;
    record.filterIndex = 1;
    record.initialDir = dir.path().toStdString();
    record.maxFile = 4096;
    record.maxFileTitle = 4096;
    record.flags = dlg::OFN_FILEMUSTEXIST | dlg::OFN_ENABLEHOOK;
    record.hook = &hook;
    hook.onInit = [&](std::int32_t hDlg) {
        EXPECT_NE(dialogs.parentWindow(hDlg), 0) << "the hook's window lies inside the dialog";
        EXPECT_TRUE(dialogs.moveWindow(dialogs.parentWindow(hDlg), 30, 40));
    };
    whenShown<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.nameFilters().size(), 2);
        EXPECT_TRUE(d.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(d.pos(), QPoint(30, 40)) << "moved by the hook before it showed";
        EXPECT_FALSE(d.filter().testFlag(QDir::CaseSensitive));
        typeName(d, QString::fromStdString(slab));
        pressOk(d);
    });
    ASSERT_EQ(dialogs.getOpenFileName(record), 1);
    EXPECT_EQ(record.file, slab);
    EXPECT_EQ(record.fileTitle, "Slab1.PO1");
    EXPECT_EQ(record.filterIndex, 1);
    EXPECT_EQ(dialogs.extendedError(), 0);
    ASSERT_FALSE(hook.events.empty());
    EXPECT_EQ(hook.events.front(), "init");
    EXPECT_TRUE(hook.saw("notify " + std::to_string(dlg::CDN_FILEOK)));
    EXPECT_EQ(hook.events.back(), "destroy");

    // The second entry; the dialog lists files whatever their letter case.
    touch(dir, "slab2.po1");
    record.file.clear();
    record.filterIndex = 1;
    QStringList listed;
    whenShown<QFileDialog>([&](QFileDialog& d) {
        auto* view = d.findChild<QListView*>("listView");
        ASSERT_NE(view, nullptr);
        for (int wait = 0; wait < 200 && !listed.contains("slab2.po1"); ++wait) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            listed.clear();
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row)
                listed << view->model()->index(row, 0, root).data().toString();
        }
        d.selectNameFilter(d.nameFilters().at(1));
        typeName(d, "notes.txt");
        pressOk(d);
    });
    ASSERT_EQ(dialogs.getOpenFileName(record), 1);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"Slab1.PO1", "slab2.po1"}));
    EXPECT_EQ(record.filterIndex, 2);
    EXPECT_EQ(record.fileTitle, "notes.txt");

    whenShown<QFileDialog>([](QFileDialog& d) { d.reject(); });
    EXPECT_EQ(dialogs.getOpenFileName(record), 0);
}

TEST(QtCommonDialogs, AHookThatRefusesOkKeepsTheFileDialogOpen) {
    formstest::application();
    QTemporaryDir dir;
    const std::string slab = touch(dir, "Slab1.PO1");
    QtCommonDialogs dialogs;
    RecordingHook hook;
    hook.refusals = 1;
    OpenFileRecord record;
    record.filter = "Project file (*.PO1)\0*.PO1\0\0"s;
    record.initialDir = dir.path().toStdString();
    record.maxFile = record.maxFileTitle = 4096;
    record.flags = dlg::OFN_FILEMUSTEXIST | dlg::OFN_ENABLEHOOK;
    record.hook = &hook;
    bool openAfterRefusal = false;
    whenShown<QFileDialog>([&](QFileDialog& d) {
        typeName(d, QString::fromStdString(slab));
        pressOk(d);
        openAfterRefusal = d.isVisible();
        pressOk(d);
    });
    ASSERT_EQ(dialogs.getOpenFileName(record), 1);
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(record.file, slab);
}

TEST(QtCommonDialogs, AMultipleSelectionComesBackAsFolderAndNames) {
    formstest::application();
    QTemporaryDir dir;
    touch(dir, "a.txt");
    touch(dir, "b.txt");
    QtCommonDialogs dialogs;
    OpenFileRecord record;
    record.initialDir = dir.path().toStdString();
    record.maxFile = 8192;
    record.flags = dlg::OFN_ALLOWMULTISELECT | dlg::OFN_FILEMUSTEXIST;
    whenShown<QFileDialog>([](QFileDialog& d) {
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFiles);
        typeName(d, "\"a.txt\" \"b.txt\"");
        pressOk(d);
    });
    ASSERT_EQ(dialogs.getOpenFileName(record), 1);
    EXPECT_EQ(record.file, dir.path().toStdString() + "\0a.txt\0b.txt\0\0"s);
}

TEST(QtCommonDialogs, TheColourDialogWorksOnTheRecordsCustomColours) {
    formstest::application();
    QtCommonDialogs dialogs;
    RecordingHook hook;
    ChooseColorRecord record;
    record.rgbResult = RGB(10, 20, 30);
    record.flags = dlg::CC_RGBINIT | dlg::CC_ENABLEHOOK;
    record.custColors[2] = RGB(1, 2, 3);
    record.hook = &hook;
    win::RECT atInit, shown;  // the hook centres the dialog at the size it opens with
    hook.onInit = [&](std::int32_t hDlg) { dialogs.windowRect(hDlg, atInit); };
    whenShown<QColorDialog>([&](QColorDialog& d) {
        dialogs.windowRect(hook.window, shown);
        EXPECT_NEAR(shown.Right - shown.Left, atInit.Right - atInit.Left, 16) << "the shown window has its frame";
        EXPECT_EQ(d.currentColor(), QColor(10, 20, 30));
        EXPECT_EQ(QColorDialog::customColor(2), QColor(1, 2, 3));
        QColorDialog::setCustomColor(4, QColor(200, 100, 50));  // the user adds a custom colour
        d.setCurrentColor(QColor(0, 128, 255));
        pressOk(d);
    });
    ASSERT_EQ(dialogs.chooseColor(record), 1);
    EXPECT_EQ(record.rgbResult, RGB(0, 128, 255));
    EXPECT_EQ(record.custColors[4], RGB(200, 100, 50));
    EXPECT_EQ(record.custColors[2], RGB(1, 2, 3));
    EXPECT_TRUE(hook.saw("command 1"));
}

TEST(QtCommonDialogs, TheFontDialogLetsItsHookHideTheSizeControls) {
    formstest::application();
    QtCommonDialogs dialogs;
    RecordingHook hook;
    hook.onInit = [&](std::int32_t hDlg) {
        dialogs.showWindow(dialogs.dialogItem(hDlg, dlg::FONT_SIZE_LABEL), win::SW_HIDE);
        dialogs.showWindow(dialogs.dialogItem(hDlg, dlg::FONT_SIZE_BOX), win::SW_HIDE);
    };
    ChooseFontRecord record;
    record.flags = dlg::CF_INITTOLOGFONTSTRUCT | dlg::CF_EFFECTS | dlg::CF_ENABLEHOOK;
    record.iPointSize = 100;
    record.rgbColors = RGB(128, 0, 0);
    setFaceName(record.logFont, "DejaVu Sans");
    record.hook = &hook;
    QTimer::singleShot(0, [] {
        auto* d = dynamic_cast<FontChooserDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(d->control(dlg::FONT_SIZE_BOX)->isHidden());
        EXPECT_TRUE(d->control(dlg::FONT_SIZE_LABEL)->isHidden());
        EXPECT_FALSE(d->control(1136)->isHidden());
        auto* colour = dynamic_cast<QComboBox*>(d->control(1139));
        ASSERT_NE(colour, nullptr);
        EXPECT_EQ(colour->currentData().toInt(), RGB(128, 0, 0));
        dynamic_cast<QComboBox*>(d->control(dlg::FONT_SIZE_BOX))->setEditText("12");
        pressOk(*d);
    });
    ASSERT_EQ(dialogs.chooseFont(record), 1);
    EXPECT_EQ(record.iPointSize, 120);
    EXPECT_EQ(record.logFont.lfHeight, -16);
    EXPECT_EQ(record.rgbColors, RGB(128, 0, 0));
    EXPECT_FALSE(faceNameOf(record.logFont).empty());
    EXPECT_TRUE(hook.saw("command 1"));
}

TEST(QtCommonDialogs, AFontDialogRefusesASizeOutsideItsLimits) {
    formstest::application();
    QtCommonDialogs dialogs;
    ChooseFontRecord record;
    record.flags = dlg::CF_LIMITSIZE;
    record.nSizeMin = 8;
    record.nSizeMax = 12;
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* d = dynamic_cast<FontChooserDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        dynamic_cast<QComboBox*>(d->control(dlg::FONT_SIZE_BOX))->setEditText("14");
        pressOk(*d);
        stayedOpen = d->isVisible();
        d->reject();
    });
    EXPECT_EQ(dialogs.chooseFont(record), 0);
    EXPECT_TRUE(stayedOpen);

    record.nSizeMax = 6;
    EXPECT_EQ(dialogs.chooseFont(record), -1) << "an empty range fails without a dialog";
    EXPECT_EQ(dialogs.extendedError(), dlg::CFERR_MAXLESSTHANMIN);
}

TEST(QtCommonDialogs, AnErrorOfTheHookClosesTheDialogAndReachesTheCaller) {
    formstest::application();
    QtCommonDialogs dialogs;
    struct Throwing : RecordingHook {
        void command(std::int32_t, std::int32_t, std::int32_t) override { throw std::runtime_error("sink failed"); }
    } hook;
    ChooseColorRecord record;
    record.flags = dlg::CC_ENABLEHOOK;
    record.hook = &hook;
    whenShown<QColorDialog>([](QColorDialog& d) { pressOk(d); });
    EXPECT_THROW(dialogs.chooseColor(record), std::runtime_error);
    EXPECT_FALSE(hook.saw("destroy")) << "no hook call after the failure";
}

TEST(QtCommonDialogs, TheFolderChoiceGivesAFolderOfTheFileSystem) {
    formstest::application();
    QTemporaryDir dir;
    QtCommonDialogs dialogs;
    whenShown<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.fileMode(), QFileDialog::Directory);
        EXPECT_EQ(d.windowTitle(), "Choose a folder");
        typeName(d, dir.path());
        pressOk(d);
    });
    FolderResult result = dialogs.chooseFolder(0, "Choose a folder");
    EXPECT_EQ(result.outcome, FolderResult::Outcome::Chosen);
    EXPECT_EQ(result.path, dir.path().toStdString());

    whenShown<QFileDialog>([](QFileDialog& d) { d.reject(); });
    EXPECT_EQ(dialogs.chooseFolder(0, "").outcome, FolderResult::Outcome::Cancelled);
}

TEST(QtCommonDialogs, TheApplicationInstallsThem) {
    formstest::application();
    EXPECT_NE(dynamic_cast<QtCommonDialogs*>(&commonDialogs()), nullptr);
}
