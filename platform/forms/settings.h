// The per-user settings store: text values by application, section and key,
// kept between runs. Names compare without regard to letter case. Callers
// that store Booleans write "-1" for True and "0" for False.
//
// The default store is the INI files in the user's settings folder
// (ini_settings.h), with or without the Qt services: a host that installs
// none keeps its settings all the same. Tests that must not touch files
// install a MemorySettingsStore.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace forms {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or defaultValue when nothing is stored.
    virtual std::string get(std::string_view app, std::string_view section, std::string_view key,
                            std::string_view defaultValue) const = 0;
    // Stores a text; error 5 for an empty name or one holding "/" or "\".
    virtual void save(std::string_view app, std::string_view section, std::string_view key,
                      std::string_view value) = 0;
    // Removes a key, or the whole section when key is empty; removing what
    // is not stored does nothing.
    virtual void remove(std::string_view app, std::string_view section, std::string_view key) = 0;
};

class MemorySettingsStore : public SettingsStore {
public:
    std::string get(std::string_view app, std::string_view section, std::string_view key,
                    std::string_view defaultValue) const override;
    void save(std::string_view app, std::string_view section, std::string_view key,
              std::string_view value) override;
    void remove(std::string_view app, std::string_view section, std::string_view key) override;

private:
    // lower-case app, section, key -> value
    std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> values_;
};

// The user's own folder of settings (no trailing "/"): $OH_SETTINGS_DIR
// when set, else $XDG_CONFIG_HOME/halvex, else ~/.config/halvex. The
// program's settings store and the library's per-user files live there.
std::string userSettingsFolder();

// Raises error 5 unless the name is usable as an application, section or
// key name.
void checkSettingName(std::string_view name, std::string_view what);

// The process-wide store: the one installed, else the INI files of the
// user's settings folder.
SettingsStore& settings();
// Installs a store (nullptr: a fresh default one); returns the previous.
std::shared_ptr<SettingsStore> setSettingsStore(std::shared_ptr<SettingsStore> store);

}  // namespace forms
