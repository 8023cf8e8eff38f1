#include "platform/forms/qt/desktop_qt.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

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

// How long the desktop's opener is given to say that no handler took the
// address; one still running then has handed it to a program.
constexpr int kOpenerAnswerMs = 1500;

}  // namespace

bool QtDesktop::openUrl(std::string_view address) {
    QString text = toQString(address);
    QUrl url = QUrl::fromUserInput(text, QDir::currentPath(), QUrl::AssumeLocalFile);
    if (!url.isValid()) return false;
    // The desktop's opener, started by Qt, would fail unseen (no handler for
    // the kind of address): its exit code is read here instead.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return QDesktopServices::openUrl(url);
    auto* process = new QProcess;  // no parent: a handler it still runs outlives the program
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start(opener, {url.toString(QUrl::FullyEncoded)});
    if (!process->waitForStarted()) {
        process->deleteLater();
        return false;
    }
    if (!process->waitForFinished(kOpenerAnswerMs)) return true;
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

bool QtDesktop::startDetached(std::string_view program, const std::vector<std::string>& arguments) {
    QStringList args;
    for (const std::string& a : arguments) args << toQString(a);
    return QProcess::startDetached(toQString(program), args);
}

}  // namespace forms::qt
