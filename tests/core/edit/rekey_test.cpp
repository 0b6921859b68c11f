#include <gtest/gtest.h>

#include "core/edit/rekey.h"

// A key moves when it is the prefix or beneath it, in any case; a key that merely begins
// with the same letters stays, and a trailing backslash on either side is no level.
TEST(Rekey, KeysAtOrBeneathThePrefixMove) {
    struct cCase {
        const char16_t* key;
        const char16_t* from;
        const char16_t* to;
        const char16_t* moved;  // null: the key stays
    };
    const cCase cases[] = {
        {u"Software\\Policies\\Old", u"Software\\Policies\\Old", u"Software\\New",
         u"Software\\New"},
        {u"SOFTWARE\\policies\\old\\Sub", u"Software\\Policies\\Old", u"Software\\New",
         u"Software\\New\\Sub"},
        {u"Software\\Policies\\Older", u"Software\\Policies\\Old", u"Software\\New", nullptr},
        {u"Software\\Policies", u"Software\\Policies\\Old", u"Software\\New", nullptr},
        {u"Software\\Old\\Sub", u"Software\\Old\\", u"Software\\New\\", u"Software\\New\\Sub"},
        {u"Software\\Old", u"Software\\Old", u"Software\\Old", nullptr},
        {u"Software\\Old", u"\\", u"Software\\New", nullptr},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(ToUtf8(c.key) + " " + ToUtf8(c.from));
        Text key = c.key;
        EXPECT_EQ(RekeyedKey(key, c.from, c.to), c.moved != nullptr);
        EXPECT_EQ(key, c.moved ? Text(c.moved) : Text(c.key));
    }
}
