#include "platform/forms/qt/application.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetricsF>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPrinterInfo>
#include <QScreen>
#include <QThread>
#include <QTranslator>

#include <cmath>
#include <map>
#include <vector>
#include <stdexcept>

#include "platform/forms/common_dialogs.h"
#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/qt/common_dialogs_qt.h"
#include "platform/forms/qt/convert.h"
#include "platform/forms/qt/desktop_qt.h"
#include "platform/forms/qt/formview.h"
#include "platform/forms/qt/msgbox_qt.h"
#include "platform/forms/qt/locale_qt.h"
#include "platform/forms/qt/printing_qt.h"
#include "platform/forms/ini_settings.h"
#include "platform/forms/locale.h"
#include "platform/forms/printing.h"
#include "platform/forms/screen.h"
#include "platform/forms/settings.h"
#include "platform/forms/ui_thread.h"

namespace forms::qt {

namespace {

// Qt's own dialogs (file, colour, font and print dialogs) read right to
// left under a right-to-left translation, while the application stays left
// to right; message boxes take the reading order of their message.
class RightToLeftDialogs : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog != nullptr && qobject_cast<QMessageBox*>(dialog) == nullptr) {
                dialog->setLayoutDirection(Qt::RightToLeft);
            }
        }
        return false;
    }
};

QPointer<RightToLeftDialogs>& rightToLeftDialogs() {
    static QPointer<RightToLeftDialogs> filter;
    return filter;
}

}  // namespace

struct QtDisplay::State {
    std::map<const Form*, QPointer<FormView>> views;
    std::map<const Form*, QEventLoop*> modalLoops;
    bool hourglass = false;
};

QtDisplay::QtDisplay() : state_(std::make_unique<State>()) {}

QtDisplay::~QtDisplay() {
    // A host may end its QApplication first: its windows are then gone
    // with it and nothing of Qt may be touched any more.
    if (QCoreApplication::instance() == nullptr) return;
    if (state_->hourglass) QGuiApplication::restoreOverrideCursor();
    for (auto& [form, view] : state_->views) {
        if (view) {
            view->detach();
            delete view.data();
        }
    }
}

void QtDisplay::formShown(Form& form) {
    QPointer<FormView>& view = state_->views[&form];
    if (!view) view = new FormView(form);
    view->setWindowModality(form.showingModal() ? Qt::ApplicationModal : Qt::NonModal);
    switch (form.WindowState()) {
        case vbMaximized: view->showMaximized(); break;
        case vbMinimized: view->showMinimized(); break;
        default: view->show(); break;
    }
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        view->raise();
        view->activateWindow();
    }
    if (Control* active = form.ActiveControl()) {
        if (QWidget* w = view->widgetOf(*active)) w->setFocus(Qt::OtherFocusReason);
    }
}

void QtDisplay::formHidden(Form& form) {
    auto it = state_->views.find(&form);
    if (it != state_->views.end() && it->second) it->second->hide();
    auto loop = state_->modalLoops.find(&form);
    if (loop != state_->modalLoops.end()) loop->second->quit();
}

void QtDisplay::formUnloaded(Form& form) {
    auto it = state_->views.find(&form);
    if (it != state_->views.end()) {
        if (FormView* view = it->second.data()) {
            view->detach();
            view->hide();
            view->deleteLater();  // a handler of one of its widgets may be running
        }
        state_->views.erase(it);
    }
    auto loop = state_->modalLoops.find(&form);
    if (loop != state_->modalLoops.end()) loop->second->quit();
    if (quitWhenLastFormCloses_) {
        bool anyShown = false;
        for (Form* f : loadedForms()) anyShown = anyShown || (f->loaded() && f->Visible());
        if (!anyShown) QCoreApplication::exit(0);
    }
}

void QtDisplay::runModal(Form& form) {
    QEventLoop loop;
    state_->modalLoops[&form] = &loop;
    while (form.loaded() && form.Visible() && !programEnded()) {
        loop.exec(QEventLoop::DialogExec);
    }
    state_->modalLoops.erase(&form);
}

void QtDisplay::doEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtDisplay::mousePointerChanged(std::int16_t pointer) {
    bool busy = pointer == vbHourglass;
    if (busy == state_->hourglass) return;
    state_->hourglass = busy;
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
}

TextExtent QtDisplay::measureText(const StdFont& font, std::string_view line) const {
    QFontMetricsF metrics(toQFont(font));
    TextExtent extent;
    extent.width = static_cast<std::int32_t>(std::lround(metrics.horizontalAdvance(toQString(line)) * kTwipsPerPixel));
    extent.height = static_cast<std::int32_t>(std::lround(metrics.height() * kTwipsPerPixel));
    return extent;
}

void QtDisplay::cursorPos(std::int32_t& x, std::int32_t& y) const {
    QPoint p = QCursor::pos();
    x = p.x();
    y = p.y();
}

void QtDisplay::endProgram() { QCoreApplication::exit(0); }

// Through the one message-box service, so a test's script sees it too.
void QtDisplay::reportUnhandled(const std::string& message) {
    try {
        MsgBox(message, vbCritical, app().Title);
    } catch (const MsgBoxError&) {
        // No one to tell: the script of a test counts it as unanswered.
    }
}

QWidget* QtDisplay::windowOf(const Form& form) const {
    auto it = state_->views.find(&form);
    return it == state_->views.end() ? nullptr : it->second.data();
}

QWidget* QtDisplay::widgetOf(const Control& control) const {
    auto it = state_->views.find(&control.Parent());
    return it == state_->views.end() || !it->second ? nullptr : it->second->widgetOf(control);
}

QWidget* windowOf(const Form& form) {
    auto* d = dynamic_cast<QtDisplay*>(&display());
    return d == nullptr ? nullptr : d->windowOf(form);
}

QWidget* widgetOf(const Control& control) {
    auto* d = dynamic_cast<QtDisplay*>(&display());
    return d == nullptr ? nullptr : d->widgetOf(control);
}

// Application

struct Application::Previous {
    std::shared_ptr<Display> display;
    std::shared_ptr<MsgBoxService> msgBox;
    std::shared_ptr<SettingsStore> settings;
    std::shared_ptr<Clipboard> clipboard;
    std::shared_ptr<Desktop> desktop;
    std::shared_ptr<CommonDialogs> commonDialogs;
    std::shared_ptr<PrinterSystem> printers;
    std::shared_ptr<Locale> locale;
};

namespace {

// The QApplication in place, when it is a widget application.
// A core or GUI application of the host cannot show widgets, and a second
// application object cannot be made beside it.
QApplication* existingApplication() {
    QCoreApplication* existing = QCoreApplication::instance();
    if (existing == nullptr) return nullptr;
    auto* widgets = qobject_cast<QApplication*>(existing);
    if (widgets == nullptr) {
        throw std::logic_error("forms::qt::Application needs a QApplication; the host made a "
                               "QCoreApplication or QGuiApplication");
    }
    if (widgets->thread() != QThread::currentThread()) {
        throw WrongThreadError("forms::qt::Application must be made on the thread of the host's QApplication");
    }
    return widgets;
}

}  // namespace

Application::Application(int& argc, char** argv) : previous_(std::make_unique<Previous>()) {
    setUiThread();
    qapp_ = existingApplication();
    if (qapp_ == nullptr) {
        ownedQapp_ = std::make_unique<QApplication>(argc, argv);
        qapp_ = ownedQapp_.get();
    }
    install();
}

namespace {
// The arguments of a QApplication made for a host that has none.
int defaultArgc = 1;
char defaultName[] = "halvex";
char* defaultArgv[] = {defaultName, nullptr};
}  // namespace

Application::Application() : Application(defaultArgc, defaultArgv) {}

void Application::install() {
    display_ = std::make_shared<QtDisplay>();
    if (ownedQapp_) QApplication::setQuitOnLastWindowClosed(false);
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        QSize size = primary->size();
        screen().setSizePixels(size.width(), size.height());
        std::vector<win::RECT> areas;
        for (QScreen* each : QGuiApplication::screens()) {
            const QRect g = each->geometry();
            const win::RECT area{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
            if (each == primary) {
                areas.insert(areas.begin(), area);
            } else {
                areas.push_back(area);
            }
        }
        screen().setAreasPixels(std::move(areas));
    }
    previous_->display = setDisplay(display_);
    previous_->msgBox = setMsgBoxService(std::make_shared<QtMsgBox>());
    previous_->settings = setSettingsStore(std::make_shared<IniSettingsStore>());
    previous_->clipboard = setClipboard(std::make_shared<QtClipboard>());
    previous_->desktop = setDesktop(std::make_shared<QtDesktop>());
    previous_->commonDialogs = setCommonDialogs(std::make_shared<QtCommonDialogs>());
    // A PDF file serves as a printer, so that a desktop without printers can
    // still print; the file is asked for when a document starts.
    auto printers = std::make_shared<QtPrinterSystem>();
    const bool systemHasDefault = !QPrinterInfo::defaultPrinter().isNull();
    printers->addPdfPrinter(QStringLiteral("Print to PDF file"), QString(), 600, QMarginsF(5, 5, 5, 5),
                            !systemHasDefault);
    previous_->printers = setPrinterSystem(printers);
    previous_->locale = setLocale(std::make_shared<QtLocale>());
}

Application::~Application() {
    for (Form* form : loadedForms()) form->unloadWithoutEvents();
    if (translator_) QCoreApplication::removeTranslator(translator_.get());
    setLocale(previous_->locale);
    setPrinterSystem(previous_->printers);
    setCommonDialogs(previous_->commonDialogs);
    setDesktop(previous_->desktop);
    setClipboard(previous_->clipboard);
    setSettingsStore(previous_->settings);
    setMsgBoxService(previous_->msgBox);
    setDisplay(previous_->display);
    display_.reset();
    ownedQapp_.reset();
}

bool Application::installTranslations(const std::string& language) {
    if (translator_) {
        QCoreApplication::removeTranslator(translator_.get());
        translator_.reset();
    }
    delete rightToLeftDialogs().data();
    if (language.empty() || language == "English") return true;

    // Qt names its languages in English, as the text tables do.
    const QString name = toQString(language);
    QLocale::Language found = QLocale::AnyLanguage;
    for (int l = QLocale::C + 1; l <= QLocale::LastLanguage; ++l) {
        const auto candidate = static_cast<QLocale::Language>(l);
        if (QLocale::languageToString(candidate).compare(name, Qt::CaseInsensitive) == 0) {
            found = candidate;
            break;
        }
    }
    if (found == QLocale::AnyLanguage) return false;

    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(found), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    translator_ = std::move(translator);
    // A right-to-left translation would turn the whole application right to
    // left, and Qt then draws the captions of the mirrored forms in their
    // logical order, arrows unmirrored. The forms mirror themselves; Qt's
    // own windows take the reading order of their owner or their message.
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    if (QLocale(found).textDirection() == Qt::RightToLeft) {
        rightToLeftDialogs() = new RightToLeftDialogs(qApp);
        qApp->installEventFilter(rightToLeftDialogs().data());
    }
    return true;
}
void QtDisplay::beep() { QApplication::beep(); }

int Application::exec() {
    if (programEnded()) return 0;
    bool anyShown = false;
    for (Form* f : loadedForms()) anyShown = anyShown || f->Visible();
    if (!anyShown) return 0;
    display_->setQuitWhenLastFormCloses(true);
    int code = QApplication::exec();
    display_->setQuitWhenLastFormCloses(false);
    return code;
}

}  // namespace forms::qt
