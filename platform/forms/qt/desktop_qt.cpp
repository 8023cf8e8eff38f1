#include "platform/forms/qt/desktop_qt.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <memory>

#include "platform/forms/qt/convert.h"

namespace forms::qt {

void QtClipboard::clear() { QGuiApplication::clipboard()->clear(); }

void QtClipboard::setText(std::string_view text) { QGuiApplication::clipboard()->setText(toQString(text)); }

std::string QtClipboard::text() const { return toModelText(QGuiApplication::clipboard()->text()); }

void QtClipboard::setData(std::string_view mimeType, std::string_view bytes) {
    auto* data = new QMimeData;  // the clipboard takes it over
    data->setData(toQString(mimeType), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(data);
}

bool QtClipboard::setMetafilePicture(std::int32_t, std::int32_t, std::int32_t, std::string_view wmfBytes) {
    auto* data = new QMimeData;  // the clipboard takes it over
    data->setData(QStringLiteral("image/x-wmf"), QByteArray(wmfBytes.data(), static_cast<qsizetype>(wmfBytes.size())));
    QGuiApplication::clipboard()->setMimeData(data);
    return QGuiApplication::clipboard()->mimeData() != nullptr &&
           QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("image/x-wmf"));
}

namespace {

int openersRunning = 0;

}  // namespace

int QtDesktop::runningOpeners() { return openersRunning; }

bool QtDesktop::openUrl(std::string_view address, std::function<void()> failedLater) {
    QString text = toQString(address);
    QUrl url = QUrl::fromUserInput(text, QDir::currentPath(), QUrl::AssumeLocalFile);
    if (!url.isValid()) return false;
    // The desktop's opener, started by Qt, would fail unseen (no handler for
    // the kind of address, found out after seconds): it is started here and
    // its exit code read when it ends, while the window goes on.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return QDesktopServices::openUrl(url);
    auto* process = new QProcess;  // no parent: a handler it still runs outlives the window
    process->start(opener, {url.toString(QUrl::FullyEncoded)});
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    ++openersRunning;
    auto watch = std::make_shared<QElapsedTimer>();
    watch->start();
    QObject::connect(process, &QProcess::finished, process,
                     [process, watch, failedLater = std::move(failedLater)](int exitCode, QProcess::ExitStatus status) {
                         --openersRunning;
                         process->deleteLater();
                         const bool failed = status != QProcess::NormalExit || exitCode != 0;
                         if (failed && failedLater && !watch->hasExpired(kOpenerVerdictMs)) failedLater();
                     });
    return true;
}

bool QtDesktop::startDetached(std::string_view program, const std::vector<std::string>& arguments) {
    QStringList args;
    for (const std::string& a : arguments) args << toQString(a);
    return QProcess::startDetached(toQString(program), args);
}

}  // namespace forms::qt
