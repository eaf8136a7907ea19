#pragma once
#include "VelGradient.h"
#include "VelKlView.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class VelBitmap;
class VelButtonWindowLess;
class VelContactItem;
class VelStaticText;
struct VelButtonEventArgs;

// One contact's screen: picture, name, card and editor buttons, and the call,
// message and favourite actions on the numbers shown.
class VelContactView : public VelKlView {
public:
    enum : int {
        kCallMobileId = 0,
        kSendSmsId = 1,
        kSendMmsId = 2,
        kCallHomeId = 3,
        kCallWorkId = 4,
        kNameId = 5,
        kCardId = 6,
        kEditId = 7,
        kPictureId = 8,
        kFrameId = 9,
        kFavoriteButtonId = 13,
    };
    // The picture is reduced to fit a square of this side.
    static const int kPictureSidePixels = 70;

    VelContactView(VelObject* parent, const std::string& name);
    ~VelContactView() override;

    const wchar_t* GetClassName() const override;
    int OnPaint(const VelPaintEventArgs* args) override;
    int OnUserMessage(const VelUserMessageEventArgs* args) override;
    using VelKlView::Create;
    void Create(VelObject* sender, const VelCreateEventArgs* args) override;
    virtual void Reserved1();
    virtual int Reserved2() const;

    // Shows a fresh copy of the contact; null shows the placeholder texts and
    // leaves the actions idle until a contact is shown again.
    void ShowContact(const VelContactItem* contact);
    void OnActionClicked(VelObject* sender, const VelButtonEventArgs* args);
    void OnTitleButtonClicked(VelToolbar* bar, VelToolbarItem* item);
    // Contacts-source slots; they may run on the data thread and then hand
    // the work to the view's own thread.
    void OnContactChanged(int32_t id);
    void OnContactDeleted(int32_t id);
    void OnClear();
    void LayoutChildren(const RECT& rect);
    // The size a picture of that size is reduced to, its shape kept.
    static SIZE FitPicture(UINT width, UINT height);

    const std::wstring& GetContactName() const { return m_name; }
    const std::wstring& GetMobileNumber() const { return m_mobileNumber; }
    const std::wstring& GetHomeNumber() const { return m_homeNumber; }
    const std::wstring& GetWorkNumber() const { return m_workNumber; }
    VelBitmap* GetPicture() const { return m_picture.get(); }
    const VelContactItem* GetContact() const { return m_contact.get(); }
    // Null before Create or for an id not in use.
    VelButtonWindowLess* GetButton(int id) const;
    VelStaticText* GetPictureControl(int id) const;

private:
    VelButtonWindowLess* AddButton(int id, UINT labelId, UINT imageId, UINT pressedImageId, const std::string& name);
    VelStaticText* AddPicture(int id, VelBitmap* image, const std::string& name);
    void ShowFavorite(bool favorite);
    void ShowPlaceholder();
    void ShowTexts();
    void OnContactChangedHere(int32_t id);
    void OnContactDeletedHere(int32_t id);
    // True when the call came on another thread and was posted to the view's.
    bool PostToOwner(int code, int32_t id);
    void InvalidateWhole();

    std::wstring m_name;
    std::wstring m_workNumber;
    std::wstring m_mobileNumber;
    std::wstring m_homeNumber;
    std::unique_ptr<VelBitmap> m_picture;
    std::unique_ptr<VelContactItem> m_contact;
    // Clear while the placeholder is shown: the held copy is not acted on then.
    bool m_contactShown;
    int m_margin;
    int m_gap;
    int m_columnPitch;
    int m_rowPitch;
    std::map<int, VelButtonWindowLess*> m_buttons;
    std::map<int, VelStaticText*> m_pictures;
    VelGradient m_background;
};
