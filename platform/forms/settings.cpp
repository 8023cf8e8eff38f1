#include "platform/forms/settings.h"

#include <cstdlib>

#include "platform/forms/ini_settings.h"
#include "platform/forms/layer.h"
#include "platform/runtime/errors.h"

namespace forms {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string userSettingsFolder() {
    const std::string redirected = environment("OH_SETTINGS_DIR");
    if (!redirected.empty()) return redirected;
    // By the XDG base-directory rules a relative XDG_CONFIG_HOME is ignored.
    const std::string config = environment("XDG_CONFIG_HOME");
    if (!config.empty() && config.front() == '/') return config + "/halvex";
    return environment("HOME") + "/.config/halvex";
}

void checkSettingName(std::string_view name, std::string_view what) {
    if (name.empty()) rt::raise(5, "The settings " + std::string(what) + " name is empty");
    if (name.find_first_of("/\\") != std::string_view::npos) {
        rt::raise(5, "The settings " + std::string(what) + " name \"" + std::string(name) +
                         "\" must not contain \"/\" or \"\\\"");
    }
}

std::string MemorySettingsStore::get(std::string_view app, std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    checkSettingName(app, "application");
    checkSettingName(section, "section");
    checkSettingName(key, "key");
    auto a = values_.find(detail::lower(app));
    if (a == values_.end()) return std::string(defaultValue);
    auto s = a->second.find(detail::lower(section));
    if (s == a->second.end()) return std::string(defaultValue);
    auto k = s->second.find(detail::lower(key));
    return k == s->second.end() ? std::string(defaultValue) : k->second;
}

void MemorySettingsStore::save(std::string_view app, std::string_view section, std::string_view key,
                               std::string_view value) {
    checkSettingName(app, "application");
    checkSettingName(section, "section");
    checkSettingName(key, "key");
    values_[detail::lower(app)][detail::lower(section)][detail::lower(key)] = std::string(value);
}

void MemorySettingsStore::remove(std::string_view app, std::string_view section, std::string_view key) {
    checkSettingName(app, "application");
    checkSettingName(section, "section");
    auto a = values_.find(detail::lower(app));
    if (a == values_.end()) return;
    if (key.empty()) {
        a->second.erase(detail::lower(section));
        return;
    }
    auto s = a->second.find(detail::lower(section));
    if (s != a->second.end()) s->second.erase(detail::lower(key));
}

namespace {

std::shared_ptr<SettingsStore> defaultStore() { return std::make_shared<IniSettingsStore>(); }

}  // namespace

SettingsStore& settings() {
    auto& store = detail::layer().settings;
    if (!store) store = defaultStore();
    return *store;
}

std::shared_ptr<SettingsStore> setSettingsStore(std::shared_ptr<SettingsStore> store) {
    auto& current = detail::layer().settings;
    std::shared_ptr<SettingsStore> previous = std::move(current);
    current = store ? std::move(store) : defaultStore();
    return previous;
}

}  // namespace forms
