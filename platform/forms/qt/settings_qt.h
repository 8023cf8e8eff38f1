// The persistent per-user settings store of the program: one INI file per
// application name, sections as groups, keys as keys. The folder is the
// one given, else the user's settings folder (forms::userSettingsFolder). Names match without regard to letter case, as the
// in-memory store's do.
#pragma once

#include <QString>

#include "platform/forms/settings.h"

namespace forms::qt {

class IniSettingsStore : public SettingsStore {
public:
    // An empty folder selects the default described above.
    explicit IniSettingsStore(QString folder = QString());

    std::string get(std::string_view app, std::string_view section, std::string_view key,
                    std::string_view defaultValue) const override;
    // Error 75 when the file cannot be written.
    void save(std::string_view app, std::string_view section, std::string_view key, std::string_view value) override;
    void remove(std::string_view app, std::string_view section, std::string_view key) override;

    const QString& folder() const { return folder_; }
    // The INI file of an application.
    QString fileOf(std::string_view app) const;

private:
    QString folder_;
};

}  // namespace forms::qt
