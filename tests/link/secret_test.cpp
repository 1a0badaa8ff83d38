// Secrets in memory: a wiped secret leaves zeros where its text was, whether it lived inside
// the object or on the heap, and a string a secret is taken from keeps nothing of it.
#include <gtest/gtest.h>

#include <string>

#include "link/secret.h"

namespace serial_link {
namespace {

bool AllZero(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] != 0)
            return false;
    return true;
}

TEST(Secret, WipingLeavesZerosWhereTheTextWas) {
    for (const std::string& text : {std::string("short"), std::string(200, 'p')}) {
        Secret secret(text);
        ASSERT_EQ(secret.View(), text);
        const char* data = secret.View().data();
        const std::size_t size = text.size();
        secret.Wipe();
        EXPECT_TRUE(secret.Empty());
        // The buffer stays the secret's own after a wipe: reading it is allowed.
        EXPECT_TRUE(AllZero(data, size)) << size;
    }
}

TEST(Secret, TakingWipesTheSource) {
    std::string typed(100, 'x');
    const char* data = typed.data();
    const Secret secret = TakeSecret(typed);
    EXPECT_EQ(secret.View(), std::string(100, 'x'));
    EXPECT_TRUE(typed.empty());
    EXPECT_TRUE(AllZero(data, 100));

    const Secret copy = secret;
    EXPECT_EQ(copy.View(), secret.View());
}

}  // namespace
}  // namespace serial_link
