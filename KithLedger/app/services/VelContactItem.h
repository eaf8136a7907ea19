#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "VelComRef.h"
#include "VelDataItem.h"

struct IImage;
struct IPimContact;

// One contact as the lists show it. The item keeps no POOM object: whatever
// acts on the contact again fetches it afresh by id.
class VelContactItem : public VelDataItem {
public:
    // Takes over the reference it is given and releases it.
    explicit VelContactItem(IPimContact* contact);
    VelContactItem(const VelContactItem&) = delete;
    VelContactItem& operator=(const VelContactItem&) = delete;
    ~VelContactItem() override;

    // With null, fetches the contact by id; a contact no longer there sets
    // the missing flag and changes nothing else.
    void Load(IPimContact* contact);
    // A new item of the contact as it is now; null when it is gone.
    VelContactItem* Reload() const;
    static bool Exists(int32_t id);
    // The side of the square a thumbnail is made to fit, given by the views
    // that draw it; until then, and with 0, no thumbnail is made.
    static void SetThumbnailSide(int pixels);

    // Open the platform's editor or card; true when the platform says the
    // user changed something.
    bool Edit(HWND owner);
    bool Display(HWND owner);

    // Whether "Favorites" is one of the contact's categories, read afresh.
    bool IsFavorite() const;
    // Adds or removes the category and saves; the field follows a success.
    void SetFavorite(bool favorite);

    int32_t GetId() const { return m_id; }
    const std::wstring& GetDisplayNameText() const { return m_displayName; }
    const std::wstring& GetPrimaryNumberText() const { return m_primaryNumber; }
    const std::wstring& GetCompanyText() const;
    const std::vector<std::wstring>& GetCategoryList() const;
    // The thumbnail, owned by the item; null when the contact has no picture.
    IImage* GetThumbnail() const { return m_picture.Get(); }
    bool GetFavorite() const { return m_favorite; }
    bool IsMissing() const { return m_missing; }

    // Read from the contact afresh; empty when it cannot be had.
    std::wstring GetMobileNumber() const;
    std::wstring GetWorkNumber() const;
    std::wstring GetHomeNumber() const;
    std::wstring GetCompany() const;
    std::wstring GetPrimaryNumber() const;
    std::wstring GetDisplayName() const;
    std::vector<std::wstring> GetCategories() const;
    // The full-size picture, the caller's reference; null when none.
    IImage* GetPicture() const;

private:
    VelComRef<IPimContact> GetContact() const;

    // A list holds one item a contact: the fields most contacts leave empty
    // take no room until they hold something.
    int32_t m_id;
    bool m_favorite;
    bool m_missing;
    std::wstring m_displayName;
    std::wstring m_primaryNumber;
    VelComRef<IImage> m_picture;
    std::unique_ptr<std::wstring> m_company;
    // Shared by every item of the same categories text: an address book has
    // few distinct ones. Null when there are none.
    const struct SharedCategories* m_categories;
};

// A new item for the contact with this id; null when there is none.
VelContactItem* CreateContactItem(int32_t id);
// Opens the platform's editor on a new contact; its item when one was saved.
VelContactItem* CreateNewContact(HWND owner);
