#include "platform/forms/qt/settings_qt.h"

#include <QDir>
#include <QSettings>

#include "platform/forms/qt/convert.h"
#include "platform/runtime/errors.h"

namespace forms::qt {

namespace {

// The stored spelling of a name that matches without regard to case, else
// the name itself.
QString storedName(const QStringList& names, const QString& wanted) {
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) return name;
    }
    return wanted;
}

QString defaultFolder() { return QString::fromLocal8Bit(userSettingsFolder().c_str()); }

void checkNames(std::string_view app, std::string_view section, std::string_view key, bool keyRequired) {
    checkSettingName(app, "application");
    checkSettingName(section, "section");
    if (keyRequired || !key.empty()) checkSettingName(key, "key");
}

void finish(QSettings& settings, const QString& file) {
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        rt::raise(75, "Path/File access error: the settings file " + toModelText(file) + " cannot be written");
    }
}

// Loading the Qt services makes the INI store the default: a host's
// settings are kept in the user's folder even without forms::qt::Application.
[[maybe_unused]] const bool registered =
    (setDefaultSettingsStore([]() -> std::shared_ptr<SettingsStore> { return std::make_shared<IniSettingsStore>(); }),
     true);

}  // namespace

IniSettingsStore::IniSettingsStore(QString folder) : folder_(folder.isEmpty() ? defaultFolder() : std::move(folder)) {}

QString IniSettingsStore::fileOf(std::string_view app) const {
    return QDir(folder_).filePath(toQString(app).toLower() + QStringLiteral(".ini"));
}

std::string IniSettingsStore::get(std::string_view app, std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
    checkNames(app, section, key, true);
    QSettings settings(fileOf(app), QSettings::IniFormat);
    settings.beginGroup(storedName(settings.childGroups(), toQString(section)));
    QVariant value = settings.value(storedName(settings.childKeys(), toQString(key)));
    if (!value.isValid()) return std::string(defaultValue);
    if (value.typeId() == QMetaType::QStringList) return toModelText(value.toStringList().join(QLatin1Char(',')));
    return toModelText(value.toString());
}

void IniSettingsStore::save(std::string_view app, std::string_view section, std::string_view key,
                            std::string_view value) {
    checkNames(app, section, key, true);
    if (!QDir().mkpath(folder_)) {
        rt::raise(75, "Path/File access error: the settings folder " + toModelText(folder_) + " cannot be made");
    }
    QString file = fileOf(app);
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(storedName(settings.childGroups(), toQString(section)));
    settings.setValue(storedName(settings.childKeys(), toQString(key)), toQString(value));
    settings.endGroup();
    finish(settings, file);
}

void IniSettingsStore::remove(std::string_view app, std::string_view section, std::string_view key) {
    checkNames(app, section, key, false);
    QString file = fileOf(app);
    if (!QFileInfo::exists(file)) return;
    QSettings settings(file, QSettings::IniFormat);
    QString group = storedName(settings.childGroups(), toQString(section));
    if (key.empty()) {
        settings.remove(group);
    } else {
        settings.beginGroup(group);
        settings.remove(storedName(settings.childKeys(), toQString(key)));
        settings.endGroup();
    }
    finish(settings, file);
}

}  // namespace forms::qt
