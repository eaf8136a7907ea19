// The categories text read and written the one way by each side.
#include "CategoryTextCases.h"
#include "PimTestSupport.h"

#include <PimCategories.h>
#include <gtest/gtest.h>

namespace {

TEST(CategoryText, SplitKeepsEveryPartAndJoinGivesTheTextBack)
{
    for (const CategoryTextCase& c : CategoryTextCases()) {
        SCOPED_TRACE(testing::Message() << "text \"" << std::string(c.text, c.text + wcslen(c.text)) << "\"");
        EXPECT_EQ(c.parts, pimcategories::Split(c.text));
        EXPECT_EQ(c.text, pimcategories::Join(c.parts));
        EXPECT_EQ(c.text, pimcategories::Join(pimcategories::Split(c.text)));
    }
}

bool FindByFirstName(const std::wstring& first, VelDevContact* out)
{
    for (const VelDevContact& contact : TestStore()->Contacts()) {
        if (contact.firstName == first) {
            *out = contact;
            return true;
        }
    }
    return false;
}

// The device tool's switches touch "Favorites" only: the other parts of the
// text, empty ones included, stay as they were stored.
TEST(CategoryText, DeviceToolFavoriteSwitchesLeaveTheOtherPartsAlone)
{
    TestDeviceStore device(L"vel-pim");
    const std::vector<CategoryTextCase>& cases = CategoryTextCases();
    for (size_t i = 0; i < cases.size(); ++i) {
        const CategoryTextCase& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i);
        const std::wstring first = L"Case" + std::to_wstring(i);
        ASSERT_EQ(0, RunKlDevice(L"contact add --first " + first + L" --categories \"" + c.text + L"\" --favorite"));
        VelDevContact stored;
        ASSERT_TRUE(FindByFirstName(first, &stored));
        EXPECT_EQ(c.withFavorites, stored.categories);

        ASSERT_EQ(0, RunKlDevice(L"contact change " + std::to_wstring(stored.id) + L" --no-favorite"));
        ASSERT_TRUE(FindByFirstName(first, &stored));
        EXPECT_EQ(c.text, stored.categories);
    }
}

}  // namespace
