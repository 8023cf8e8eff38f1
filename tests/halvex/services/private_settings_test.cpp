// Per-user settings through the facade: the Boolean convention, the round
// trip and the read that never fails.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/services/private_settings.h"
#include "platform/forms/settings.h"
#include "platform/runtime/errors.h"

namespace {

class PrivateSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = forms::setSettingsStore(std::make_shared<forms::MemorySettingsStore>());
        halvex::resetLibraryState();
    }
    void TearDown() override { forms::setSettingsStore(previous_); }

    static std::string stored(const std::string& key)
    {
        return forms::settings().get("valmor", "Test", key, "<none>");
    }

private:
    std::shared_ptr<forms::SettingsStore> previous_;
};

// A store that cannot be read.
class BrokenStore : public forms::MemorySettingsStore {
public:
    std::string get(std::string_view, std::string_view, std::string_view, std::string_view) const override
    {
        throw rt::RuntimeError(75, "Path/File access error");
    }
};

TEST_F(PrivateSettingsTest, RoundTripKeepsBooleansAndTexts)
{
    halvex::ClsValmor valmor;
    valmor.SavePrivateSetting("valmor", "Test", "Flag", rt::Variant(false));
    EXPECT_EQ(stored("Flag"), "0");
    EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "Flag", rt::Variant(true)), rt::Variant(false));
    valmor.SavePrivateSetting("valmor", "Test", "Flag", rt::Variant(true));
    EXPECT_EQ(stored("Flag"), "-1");
    EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "Flag", rt::Variant(false)), rt::Variant(true));

    valmor.SavePrivateSetting("valmor", "Test", "Three", rt::Variant(std::int16_t{3}));
    EXPECT_EQ(stored("Three"), "3");
    valmor.SavePrivateSetting("valmor", "Test", "Language", rt::Variant("German"));
    // Names compare without regard to case.
    EXPECT_EQ(valmor.GetPrivateSetting("VALMOR", "test", "LANGUAGE", rt::Variant("English")),
              rt::Variant("German"));
}

TEST_F(PrivateSettingsTest, BooleanReadAcceptsTruthWordsAndFallsBackOnAnythingElse)
{
    halvex::ClsValmor valmor;
    EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "Unset", rt::Variant(true)), rt::Variant(true));
    EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "Unset", rt::Variant(false)), rt::Variant(false));

    const std::pair<const char*, bool> readings[] = {{"0", false}, {"-1", true}, {"True", true},
                                                     {"false", false}, {"1", true}};
    for (const auto& [text, expected] : readings) {
        forms::settings().save("valmor", "Test", "Flag", text);
        EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "Flag", rt::Variant(!expected)),
                  rt::Variant(expected))
            << text;
    }
    // Not a truth value: the default itself.
    for (const char* text : {"maybe", ""}) {
        forms::settings().save("valmor", "Test", "Flag", text);
        EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "Flag", rt::Variant(true)), rt::Variant(true))
            << '"' << text << '"';
    }
}

TEST_F(PrivateSettingsTest, OtherDefaultsComeBackAsText)
{
    halvex::ClsValmor valmor;
    // Nothing stored: the text form of the default.
    EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "Count", rt::Variant(std::int16_t{3})),
              rt::Variant("3"));
    forms::settings().save("valmor", "Test", "Count", "12");
    EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "Count", rt::Variant(std::int16_t{3})),
              rt::Variant("12"));
    // Without a default the missing marker comes back, whatever is stored.
    EXPECT_TRUE(valmor.GetPrivateSetting("valmor", "Test", "Count").isMissing());
}

TEST_F(PrivateSettingsTest, ReadNeverFails)
{
    halvex::ClsValmor valmor;
    // A name the store refuses.
    EXPECT_EQ(valmor.GetPrivateSetting("", "Test", "Key", rt::Variant("fallback")), rt::Variant("fallback"));
    EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "", rt::Variant(true)), rt::Variant(true));
    // A store that cannot be read.
    forms::setSettingsStore(std::make_shared<BrokenStore>());
    EXPECT_EQ(valmor.GetPrivateSetting("valmor", "Test", "Key", rt::Variant(std::int16_t{7})),
              rt::Variant(std::int16_t{7}));
    EXPECT_EQ(halvex::StoredInterfaceLanguage(), "");
}

TEST_F(PrivateSettingsTest, SaveErrorsReachTheCaller)
{
    halvex::ClsValmor valmor;
    rt::VArray list;
    list.redim(1, 2);
    EXPECT_THROW(valmor.SavePrivateSetting("valmor", "Test", "List", rt::Variant(list)), rt::RuntimeError);
    EXPECT_THROW(valmor.SavePrivateSetting("valmor", "Test", "", rt::Variant("x")), rt::RuntimeError);
    EXPECT_EQ(stored("List"), "<none>");
}

}  // namespace
