// The persistent per-user settings store: one INI file per application name
// (its name in lower case, "<app>.ini") in a folder, sections as groups,
// keys as keys. The folder is the one given, else the user's settings
// folder (userSettingsFolder). Names match without regard to letter case;
// a new name is stored as spelt.
//
// The files are those the Qt services' store kept before (their INI
// format): names escaped ("Interface%20Language%20setting", "%U0639" past
// U+00FF), sections and keys written in sorted order, values quoted when
// they hold ";", "," or "=" or begin or end with a blank, control
// characters as "\t", "\x1f" ..., a text holding a NUL as "@String(...)"
// and one beginning with "@" doubled. Rewriting a file, the store writes
// the entries it did not change back as Qt does (comments are dropped).
#pragma once

#include <string>
#include <string_view>

#include "platform/forms/settings.h"

namespace forms {

class IniSettingsStore : public SettingsStore {
public:
    // An empty folder selects the user's settings folder, as it is now.
    explicit IniSettingsStore(std::string folder = std::string());

    // A file that cannot be read counts as holding nothing.
    std::string get(std::string_view app, std::string_view section, std::string_view key,
                    std::string_view defaultValue) const override;
    // Writes "<file>.<process id>.tmp" and renames it over the file, so a
    // failed save leaves the old file as it was. Error 75 naming the file
    // and the reason when the folder cannot be made or the file cannot be
    // read or written.
    void save(std::string_view app, std::string_view section, std::string_view key, std::string_view value) override;
    void remove(std::string_view app, std::string_view section, std::string_view key) override;

    const std::string& folder() const { return folder_; }
    // The INI file of an application.
    std::string fileOf(std::string_view app) const;

private:
    std::string folder_;
};

}  // namespace forms
