#include "model/Uuid.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace tc {
namespace {

TEST(Uuid, ParsesOnlyTheCanonicalFormInEitherCase) {
    struct Case {
        const char *text;
        bool valid;
    };
    const Case cases[] = {
        {"6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7E", true},
        {"6f1c2a3b-4d5e-4f60-8172-839a4b5c6d7e", true},
        {"6f1C2a3B-4D5e-4f60-8172-839A4b5C6d7E", true},
        {"00000000-0000-0000-0000-000000000000", true},
        {"", false},
        {"6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7", false},   // 35 characters
        {"6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7E0", false}, // 37 characters
        {"6F1C2A3B4D5E-4F60-8172-839A4B5C6D7E0", false},  // dash missing
        {"6F1C2A3-B4D5E-4F60-8172-839A4B5C6D7E", false},  // dash misplaced
        {"6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7G", false},  // not hexadecimal
        {"{6F1C2A3B-4D5E-4F60-8172-839A4B5C6D}", false},
        {" 6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7", false},
        {"6F1C2A3B_4D5E_4F60_8172_839A4B5C6D7E", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Uuid::parse(c.text).has_value(), c.valid) << c.text;
    }
}

TEST(Uuid, WritesUpperCaseAndReadsBackTheSameValue) {
    const auto lower = Uuid::parse("6f1c2a3b-4d5e-4f60-8172-839a4b5c6d7e");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->toString(), "6F1C2A3B-4D5E-4F60-8172-839A4B5C6D7E");
    EXPECT_EQ(Uuid::parse(lower->toString()), lower);
    EXPECT_FALSE(lower->isNull());
    EXPECT_TRUE(Uuid().isNull());
}

TEST(Uuid, RandomValuesAreVersionFourAndDistinct) {
    std::unordered_set<Uuid> seen;
    for (int i = 0; i < 1000; ++i) {
        const Uuid uuid = Uuid::random();
        const std::string text = uuid.toString();
        EXPECT_EQ(text[14], '4') << text;                                         // version
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text; // variant
        EXPECT_EQ(Uuid::parse(text), uuid);
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

} // namespace
} // namespace tc
