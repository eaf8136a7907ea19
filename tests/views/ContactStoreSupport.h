#pragma once
// Contacts seeded into a device store of the test's own and read back as
// contact rows, with the English strings; for the tests of the contact lists.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "TestDeviceStore.h"
#include "VelDevStore.h"

#include "ListRows.h"
#include "QuietWindow.h"
#include "VelContactItem.h"
#include "VelContactListViewItem.h"
#include "VelListView.h"
#include "VelLocalizedStrings.h"
#include "VelMessageSource.h"
#include "VelPoomSession.h"
#include "ViewTestSupport.h"

namespace contact_store {

struct Person {
    const wchar_t* name;  // file-as, the display name
    const wchar_t* mobile;
    const wchar_t* company;
    const wchar_t* categories;
};

// A device store of the test's own, read back through the contact items.
class SeededStore {
public:
    SeededStore() : m_device(L"vel-contactlist")
    {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        const HRESULT logon = LogonPoom(&m_window);
        EXPECT_TRUE(SUCCEEDED(logon)) << std::hex << logon;
    }
    ~SeededStore()
    {
        LogoffPoom();
        ::CoUninitialize();
    }

    DWORD Add(const Person& p)
    {
        VelDevContact c;
        c.fileAs = p.name;
        c.firstName = p.name;
        c.mobile = p.mobile;
        c.company = p.company;
        c.categories = p.categories;
        return m_device.Store().AddContact(c);
    }
    // A picture of one colour; width a multiple of 4, so rows need no padding.
    void SetPicture(DWORD id, COLORREF colour, int width, int height)
    {
        std::string bytes(54 + width * height * 3, '\0');
        BITMAPFILEHEADER* file = reinterpret_cast<BITMAPFILEHEADER*>(&bytes[0]);
        BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(&bytes[14]);
        file->bfType = 0x4D42;
        file->bfSize = static_cast<DWORD>(bytes.size());
        file->bfOffBits = 54;
        info->biSize = sizeof(BITMAPINFOHEADER);
        info->biWidth = width;
        info->biHeight = height;
        info->biPlanes = 1;
        info->biBitCount = 24;
        for (int i = 0; i < width * height; ++i) {
            bytes[54 + i * 3] = static_cast<char>(GetBValue(colour));
            bytes[54 + i * 3 + 1] = static_cast<char>(GetGValue(colour));
            bytes[54 + i * 3 + 2] = static_cast<char>(GetRValue(colour));
        }
        ASSERT_TRUE(m_device.Store().SetContactPicture(id, bytes, L"bmp"));
    }
    VelContactListViewItem* Row(const Person& p) { return RowOf(Add(p)); }
    VelContactListViewItem* RowOf(DWORD id)
    {
        VelContactItem* item = CreateContactItem(static_cast<int32_t>(id));
        EXPECT_NE(item, nullptr);
        return item ? new VelContactListViewItem(item) : nullptr;
    }

private:
    TestDeviceStore m_device;
    QuietWindow m_window;
};

struct English {
    English() { LoadLanguage(L"English"); }
};

inline std::wstring NameOf(const VelItem* row)
{
    const VelContactListViewItem* item = dynamic_cast<const VelContactListViewItem*>(row);
    if (!item)
        return L"?";
    const std::wstring& name = item->GetContact()->GetDisplayNameText();
    return name.empty() ? L"(none)" : name;
}

// The visible groups with their visible rows: "A: alfred anna | B: Bob".
inline std::wstring Shown(VelListView* list) { return GroupsLine(ReadGroups(*list, &NameOf, RowFilter::kVisible)); }

}  // namespace contact_store
