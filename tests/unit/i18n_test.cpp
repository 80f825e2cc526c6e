// Which language the environment chooses, and the texts put together in it.

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/language.h"
#include "text/i18n.h"

namespace vexlor::i18n {
namespace {

// The environment as a user sets it, the catalog that answers ("" for English), as the
// desktop's programs read it: LC_ALL over LC_MESSAGES over LANG, LANGUAGE over all three but C.
TEST(Language, IsChosenFromTheEnvironmentAsTheDesktopsProgramsChooseIt) {
    struct Case {
        const char* language;
        const char* all;
        const char* messages;
        const char* lang;
        const char* catalog;
    };
    const Case cases[] = {
        {"fr", nullptr, nullptr, nullptr, "fr"},           // LANGUAGE alone
        {"fr", nullptr, nullptr, "C.UTF-8", "fr"},         //
        {"it:es:de", nullptr, nullptr, "C.UTF-8", "es"},   // the first that has a catalog
        {"pt", nullptr, nullptr, "C.UTF-8", ""},           // none has one: English
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", "de"},  // a locale this system has not made
        {nullptr, "es_ES.UTF-8", nullptr, "fr_FR.UTF-8", "es"},
        {nullptr, nullptr, "fr_CA.UTF-8", "de_DE.UTF-8", "fr"},
        {"fr", nullptr, nullptr, "C", ""},  // the C locale is English, whatever LANGUAGE says
        {"de", "C", nullptr, "fr_FR.UTF-8", ""},
        {nullptr, "POSIX", nullptr, nullptr, ""},
        {nullptr, nullptr, nullptr, nullptr, ""},
    };
    testing::InLanguage restoreAfterwards("C");
    for (const Case& c : cases) {
        const std::pair<const char*, const char*> settings[] = {{"LANGUAGE", c.language},
                                                                {"LC_ALL", c.all},
                                                                {"LC_MESSAGES", c.messages},
                                                                {"LANG", c.lang}};
        for (const auto& [name, value] : settings) {
            if (value)
                ::setenv(name, value, 1);
            else
                ::unsetenv(name);
        }
        start(testing::InLanguage::catalogs());
        EXPECT_EQ(catalogLanguage(), c.catalog)
            << "LANGUAGE=" << (c.language ? c.language : "") << " LC_ALL=" << (c.all ? c.all : "")
            << " LC_MESSAGES=" << (c.messages ? c.messages : "")
            << " LANG=" << (c.lang ? c.lang : "");
    }
}

TEST(Language, EnglishIsWhatTheCodeSaysAndATextWithoutTranslationStaysEnglish) {
    const testing::InLanguage french("fr");
    const char* unknown = "A text no catalog has";
    EXPECT_EQ(tx(unknown), unknown);
    EXPECT_EQ(txc("a place", unknown), unknown);
    EXPECT_STREQ(txn("one apple", "%1 apples", 1), "one apple");
    EXPECT_STREQ(txn("one apple", "%1 apples", 2), "%1 apples");
}

TEST(Fill, PutsTheValuesWhereTheTranslationSaysInItsOrder) {
    const std::tuple<const char*, std::vector<std::string>, const char*> cases[] = {
        {"%1 of %2", {"3", "10"}, "3 of 10"},
        {"%2 : %1", {"a", "b"}, "b : a"},
        {"%1%1", {"x"}, "xx"},
        {"100% sure, %1", {"yes"}, "100% sure, yes"},
        {"%3 is not given", {"a"}, "%3 is not given"},
        {"ends with %", {}, "ends with %"},
        {"%1", {"%2"}, "%2"},  // a value is never read as a pattern
    };
    for (const auto& [pattern, values, want] : cases) {
        std::string got;
        switch (values.size()) {
            case 0:
                got = fill(pattern, {});
                break;
            case 1:
                got = fill(pattern, {values[0]});
                break;
            default:
                got = fill(pattern, {values[0], values[1]});
                break;
        }
        EXPECT_EQ(got, want) << pattern;
    }
}

}  // namespace
}  // namespace vexlor::i18n
