#include "account/credentials.h"

#include "account/scramble.h"

#include <gtest/gtest.h>

namespace vamu::account {
namespace {

TEST(Credentials, RoundTripsTextsWithSeparatorsAndChinese) {
    const Credentials cases[] = {
        {"13800138000", "vamu1234"},
        {"a,b", "p&w=1,2"},
        {"账号", "密码 含 空格"},
        {"x", ""},
    };
    for (const Credentials& c : cases) {
        const std::string stored = storeCredentials(c);
        // Only hexadecimal digits: the file's line and the inner "," stay unambiguous.
        EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos) << stored;
        const auto back = readCredentials(stored);
        ASSERT_TRUE(back) << c.account;
        EXPECT_EQ(back->account, c.account);
        EXPECT_EQ(back->password, c.password);
    }
}

TEST(Credentials, TheStoredFormIsTheNestedScramble) {
    const std::string inner = scrambleText("A", kCredentialKey) + "," + scrambleText("B", kCredentialKey);
    EXPECT_EQ(storeCredentials({"A", "B"}), scrambleText(inner, kCredentialKey));
}

TEST(Credentials, ForeignOrBrokenTextsGiveNothing) {
    EXPECT_FALSE(readCredentials(""));
    EXPECT_FALSE(readCredentials("not scrambled at all"));
    // Made with another key.
    const std::string foreign = scrambleText(scrambleText("a", "other") + "," + scrambleText("b", "other"), "other");
    EXPECT_FALSE(readCredentials(foreign));
    // A valid outer scramble without the ",": edited by hand, never half used.
    EXPECT_FALSE(readCredentials(scrambleText(scrambleText("13800138000", kCredentialKey), kCredentialKey)));
}

TEST(KeyringSecret, RoundTripsAnyTextAndRejectsWhatIsNotOurs) {
    const auto back = readKeyringSecret(keyringSecret({"账号", "p\"w\\\n,}密码", "a=1; b=\"2\""}));
    ASSERT_TRUE(back);
    EXPECT_EQ(std::tie(back->account, back->password, back->cookie),
              std::tie("账号", "p\"w\\\n,}密码", "a=1; b=\"2\""));
    for (const char* foreign : {"", "vamu1234", "[]", R"({"account":"a","password":1})", R"({"password":"p"})",
                                R"({"account":"a","password":""})"}) {
        EXPECT_FALSE(readKeyringSecret(foreign)) << foreign;
    }
}

}  // namespace
}  // namespace vamu::account
