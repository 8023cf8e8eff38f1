// The INI store of the forms layer and Qt's INI settings read and write the
// same files: random settings written by either are read back by both, and
// both write the same bytes.
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <tuple>

#include "platform/forms/ini_settings.h"

namespace {

using Entry = std::tuple<std::string, std::string, std::string>;  // application, section, key

std::string randomText(std::mt19937& random, const std::vector<std::string>& pieces, int minimum, int maximum) {
    std::string text;
    for (int n = std::uniform_int_distribution<int>(minimum, maximum)(random); n > 0; --n) {
        text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    }
    return text;
}

// Names differ in more than letter case, so that neither store merges two.
std::vector<std::string> distinctNames(std::mt19937& random, std::size_t count) {
    static const std::vector<std::string> pieces = {"a", "b", "Q", "z", "0", "7", " ", "%", "%20", "=", ";", "\"",
                                                    "'", "@", "[", "]", "#", ",", "_", "-", ".", "\xc3\xa4", "\xd8\xb9",
                                                    "\xe4\xb8\xad", "\xf0\x9f\x98\x80"};
    std::vector<std::string> names;
    std::map<std::string, bool> seen;
    while (names.size() < count) {
        std::string name = randomText(random, pieces, 1, 5);
        std::string folded = name;
        for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (folded == "general" || !seen.emplace(folded, true).second) continue;
        names.push_back(name);
    }
    return names;
}

QString qt(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(IniSettingsProperty, EitherWriterIsReadByBothAndBothWriteTheSameBytes) {
    static const std::vector<std::string> valuePieces = {
        "a", "Z", "0", "7", "f", " ", "\t", "\n", "\r", std::string(1, '\0'), "\x01", "\x1f", "\x7f", ",", ";", "=",
        "\"", "\\", "%", "@", "'", "[", "#", "-1", "\xc3\xa4", "\xd8\xb9", "\xf0\x9f\x98\x80"};
    std::mt19937 random(35);
    for (int round = 0; round < 40; ++round) {
        QTemporaryDir mixed, fresh;
        ASSERT_TRUE(mixed.isValid() && fresh.isValid());
        forms::IniSettingsStore plain(mixed.path().toStdString());
        const auto apps = distinctNames(random, 2), sections = distinctNames(random, 3),
                   keys = distinctNames(random, 4);
        const auto pick = [&](const std::vector<std::string>& from) {
            return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
        };
        std::map<Entry, std::string> model;
        for (int step = 0; step < 25; ++step) {
            const std::string app = pick(apps), section = pick(sections), key = pick(keys);
            const std::string value = randomText(random, valuePieces, 0, 8);
            const int what = std::uniform_int_distribution<int>(0, 9)(random);
            const bool byQt = random() % 2 == 0;
            QSettings settings(qt(plain.fileOf(app)), QSettings::IniFormat);
            if (what < 8) {
                model[{app, section, key}] = value;
                if (byQt) settings.setValue(qt(section + "/" + key), qt(value));
                else plain.save(app, section, key, value);
            } else if (what == 8) {
                model.erase({app, section, key});
                if (byQt) settings.remove(qt(section + "/" + key));
                else plain.remove(app, section, key);
            } else {
                std::erase_if(model, [&](const auto& entry) {
                    return std::get<0>(entry.first) == app && std::get<1>(entry.first) == section;
                });
                if (byQt) settings.remove(qt(section));
                else plain.remove(app, section, "");
            }
            settings.sync();
            ASSERT_EQ(settings.status(), QSettings::NoError);
            // Qt keeps a file it read by size and time: a time of its own
            // after each write of the plain store makes it read the file anew.
            if (!byQt && std::filesystem::exists(plain.fileOf(app))) {
                const std::chrono::seconds time(round * 100 + step);
                std::filesystem::last_write_time(plain.fileOf(app), std::filesystem::file_time_type(time));
            }
        }
        for (const auto& app : apps) {
            QSettings reader(qt(plain.fileOf(app)), QSettings::IniFormat);
            QSettings writer(qt(forms::IniSettingsStore(fresh.path().toStdString()).fileOf(app)), QSettings::IniFormat);
            for (const auto& section : sections) {
                for (const auto& key : keys) {
                    const auto stored = model.find({app, section, key});
                    const std::string expected = stored == model.end() ? "<none>" : stored->second;
                    EXPECT_EQ(plain.get(app, section, key, "<none>"), expected) << app << "/" << section << "/" << key;
                    const QVariant read = reader.value(qt(section + "/" + key));
                    EXPECT_EQ(read.isValid() ? read.toString().toStdString() : "<none>", expected);
                    if (stored != model.end()) writer.setValue(qt(section + "/" + key), qt(stored->second));
                }
            }
            writer.sync();
            if (std::filesystem::exists(writer.fileName().toStdString())) {
                EXPECT_EQ(bytesOf(plain.fileOf(app)), bytesOf(writer.fileName().toStdString())) << "round " << round;
            }
        }
    }
}

// Files of random text, such as hand-editing leaves: every key Qt finds
// reads the same in the store (a list as its items joined by ","), and a
// save writes the file back as Qt does.
TEST(IniSettingsProperty, RandomFilesReadAndWriteAsQtDoes) {
    static const std::vector<std::string> pieces = {
        "[", "]", "=", ";", "\"", "\\", "\n", "\r\n", "%", "%4", "%U00E4", "a", "B", " ", "\t", ",", "@", "@@", "x",
        "0", "\xc3\xa4", "k=v\n", "+", "0x", "\v", "\xc2\xa0", "[General]", "[%General]\n", "=\"a, b\"", "\\x4",
        "\\1", "\\\n", "%U", "%U00", "\\x", "\\0", "\r", "\n\r", ";c\n", "[a]\n", "[ A ]\n", "\\a", "\\q",
        "\\\r\n", "\xff", "%25", "%2f", "%5C", "\"\"", "@Invalid()", "@String(", ")", "@ByteArray(", "\\x2c"};
    std::mt19937 random(4242);
    QTemporaryDir folder;
    forms::IniSettingsStore plain(folder.path().toStdString());
    for (int n = 0; n < 300; ++n) {
        const std::string app = "random" + std::to_string(n);
        std::ofstream(plain.fileOf(app), std::ios::binary) << randomText(random, pieces, 0, 60);
        QSettings settings(qt(plain.fileOf(app)), QSettings::IniFormat);
        // Names the store can ask for, and that no other name equals but for case.
        const auto usable = [](const QString& name, const QStringList& names) {
            const auto equal = [&](const QString& other) { return other.compare(name, Qt::CaseInsensitive) == 0; };
            return !name.isEmpty() && !name.contains(QLatin1Char('\\')) &&
                   std::count_if(names.begin(), names.end(), equal) == 1;
        };
        for (const QString& group : settings.childGroups()) {
            if (!usable(group, settings.childGroups())) continue;
            settings.beginGroup(group);
            for (const QString& key : settings.childKeys()) {
                if (!usable(key, settings.childKeys())) continue;
                const QVariant value = settings.value(key);
                const std::string expected =
                    !value.isValid() ? "<none>"
                    : value.typeId() == QMetaType::QStringList ? value.toStringList().join(',').toStdString()
                                                               : value.toString().toStdString();
                EXPECT_EQ(plain.get(app, group.toStdString(), key.toStdString(), "<none>"), expected)
                    << testing::PrintToString(group.toStdString() + "/" + key.toStdString()) << " in "
                    << testing::PrintToString(bytesOf(plain.fileOf(app)));
            }
            settings.endGroup();
        }
        // Both write such a file back the same way.
        const std::string copy = "copy" + std::to_string(n);
        std::filesystem::copy_file(plain.fileOf(app), plain.fileOf(copy));
        settings.setValue("Z9/Z9", "9");
        settings.sync();
        plain.save(copy, "Z9", "Z9", "9");
        if (settings.status() == QSettings::NoError) {
            EXPECT_EQ(bytesOf(plain.fileOf(copy)), bytesOf(plain.fileOf(app)));
        }
    }
}
