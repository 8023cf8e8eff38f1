#include "platform/forms/qt/desktop_qt.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
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

bool QtDesktop::openUrl(std::string_view address) {
    QString text = toQString(address);
    QUrl url = QUrl::fromUserInput(text, QDir::currentPath(), QUrl::AssumeLocalFile);
    if (!url.isValid()) return false;
    return QDesktopServices::openUrl(url);
}

bool QtDesktop::startDetached(std::string_view program, const std::vector<std::string>& arguments) {
    QStringList args;
    for (const std::string& a : arguments) args << toQString(a);
    return QProcess::startDetached(toQString(program), args);
}

}  // namespace forms::qt
