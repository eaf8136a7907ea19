#include "VelContactItem.h"

#include <Imaging.h>
#include <PimStore.h>

#include <atomic>
#include <map>
#include <new>

#include "VelComRef.h"
#include "VelPoomSession.h"

struct SharedCategories {
    size_t holders = 0;
    std::vector<std::wstring> list;
    const std::wstring* text = nullptr;  // the pool's key
};

namespace {

const wchar_t kFavoritesCategory[] = L"Favorites";
const wchar_t kCategorySeparator[] = L", ";

typedef HRESULT (STDMETHODCALLTYPE IPimContact::*TextProperty)(BSTR*);

std::wstring ReadText(IPimContact* contact, TextProperty property)
{
    BSTR text = NULL;
    if (!contact || FAILED((contact->*property)(&text)) || !text)
        return std::wstring();
    const std::wstring copy(text, SysStringLen(text));
    SysFreeString(text);
    return copy;
}

// Every part counts, empty ones and blanks too, as the contacts server and
// the device tool split and join the text (tests/pim/CategoryTextCases.h).
std::vector<std::wstring> SplitCategories(const std::wstring& text)
{
    std::vector<std::wstring> categories;
    if (text.empty())
        return categories;
    const size_t separator = wcslen(kCategorySeparator);
    size_t start = 0;
    for (size_t at; (at = text.find(kCategorySeparator, start)) != std::wstring::npos; start = at + separator)
        categories.push_back(text.substr(start, at - start));
    categories.push_back(text.substr(start));
    return categories;
}

// A whole category: "MyFavorites" is not one, and could never be unmarked.
bool HoldsFavorites(const std::wstring& text)
{
    for (const std::wstring& category : SplitCategories(text)) {
        if (category == kFavoritesCategory)
            return true;
    }
    return false;
}

const std::wstring& NoText()
{
    static const std::wstring* none = new std::wstring;
    return *none;
}

const std::vector<std::wstring>& NoCategories()
{
    static const std::vector<std::wstring>* none = new std::vector<std::wstring>;
    return *none;
}

// Keeps a copy of the value on the heap, or nothing when it is empty.
template <typename T>
void KeepIfAny(std::unique_ptr<T>& field, const T& value)
{
    if (value.empty())
        field.reset();
    else if (field)
        *field = value;
    else
        field.reset(new T(value));
}

// The pool of category lists, by the text they were split from; an entry goes
// with the last item that holds it. Made on first use and never freed: items
// may outlive every static destructor.
typedef std::map<std::wstring, SharedCategories> CategoryPool;

SRWLOCK s_categoryLock = SRWLOCK_INIT;

// Items are read on the loader threads as well as the main one.
struct CategoryLock {
    CategoryLock() { ::AcquireSRWLockExclusive(&s_categoryLock); }
    ~CategoryLock() { ::ReleaseSRWLockExclusive(&s_categoryLock); }
};

CategoryPool& Categories()
{
    static CategoryPool* pool = new CategoryPool;
    return *pool;
}

// The shared list for the text, held once more; null for no categories.
const SharedCategories* HoldCategories(const std::wstring& text)
{
    std::vector<std::wstring> list = SplitCategories(text);
    if (list.empty())
        return nullptr;
    CategoryLock lock;
    CategoryPool::iterator entry = Categories().emplace(text, SharedCategories()).first;
    SharedCategories& held = entry->second;
    if (!held.holders) {
        held.list = std::move(list);
        held.text = &entry->first;
    }
    ++held.holders;
    return &held;
}

void LetGoCategories(const SharedCategories* categories)
{
    if (!categories)
        return;
    CategoryLock lock;
    SharedCategories* held = const_cast<SharedCategories*>(categories);
    if (--held->holders == 0)
        Categories().erase(*held->text);
}

VelComRef<IPimItem> ItemOf(IUnknown* object)
{
    VelComRef<IPimItem> item;
    if (object)
        object->QueryInterface(IID_IPimItem, item.ReceiveVoid());
    return item;
}

VelComRef<IPimContact> ContactOf(IUnknown* object)
{
    VelComRef<IPimContact> contact;
    if (object)
        object->QueryInterface(IID_IPimContact, contact.ReceiveVoid());
    return contact;
}

VelComRef<IPimContact> FetchContact(int32_t id)
{
    IPimApplication* application = GetPoomApplication();
    VelComRef<IUnknown> object;
    if (!application || FAILED(application->GetItemFromOid(id, object.Receive())) || !object)
        return VelComRef<IPimContact>();
    return ContactOf(object.Get());
}

// What read gives for the contact fetched afresh (null when it is gone).
template <typename Read>
auto WithContact(int32_t id, Read read) -> decltype(read(static_cast<IPimContact*>(NULL)))
{
    const VelComRef<IPimContact> contact = FetchContact(id);
    return read(contact.Get());
}

std::wstring ReadFreshText(int32_t id, TextProperty property)
{
    return WithContact(id, [property](IPimContact* contact) { return ReadText(contact, property); });
}

// S_FALSE reports that nothing changed.
bool Changed(HRESULT result) { return SUCCEEDED(result) && result != S_FALSE; }

// The platform's editor or card on the contact.
bool OpenUi(IUnknown* contact, HRESULT (STDMETHODCALLTYPE IPimItem::*open)(HWND), HWND owner)
{
    const VelComRef<IPimItem> item = ItemOf(contact);
    return item && Changed((item.Get()->*open)(owner));
}

VelComRef<IImage> PictureOf(IPimContact* contact)
{
    VelComRef<IImage> image;
    const VelComRef<IPimItem> item = ItemOf(contact);
    if (!item)
        return image;
    VelComRef<IStream> stream;
    if (SUCCEEDED(item->OpenProperty(kPimPropPicture, GENERIC_READ, stream.Receive())) && stream) {
        VelComRef<IImagingFactory> factory;
        if (SUCCEEDED(CreateImagingFactory(factory.Receive())) && factory) {
            if (FAILED(factory->CreateImageFromStream(stream.Get(), image.Receive())))
                image.Detach();
        }
    }
    return image;
}

// Read on the data thread as items are made there.
std::atomic<int> s_thumbnailSide(0);

IImage* ThumbnailOf(IImage* picture)
{
    ImageInfo info = {};
    IImage* thumbnail = NULL;
    // A picture without a size has no ratio to keep.
    const int size = s_thumbnailSide.load();
    if (size > 0 && SUCCEEDED(picture->GetImageInfo(&info)) && info.Width && info.Height) {
        const float ratio = static_cast<float>(info.Height) / static_cast<float>(info.Width);
        const UINT width = ratio > 1 ? static_cast<UINT>(size / ratio) : static_cast<UINT>(size);
        const UINT height = ratio > 1 ? static_cast<UINT>(size) : static_cast<UINT>(size * ratio);
        if (FAILED(picture->GetThumbnail(width, height, &thumbnail)))
            thumbnail = NULL;
    }
    return thumbnail;
}

std::wstring DisplayNameOf(IPimContact* contact, const std::wstring& company, const std::wstring& primaryNumber)
{
    const std::wstring fileAs = ReadText(contact, &IPimContact::get_FileAs);
    if (!fileAs.empty())
        return fileAs;
    const std::wstring first = ReadText(contact, &IPimContact::get_FirstName);
    const std::wstring last = ReadText(contact, &IPimContact::get_LastName);
    if (!last.empty())
        return first.empty() ? last : last + kCategorySeparator + first;
    if (!first.empty())
        return first;
    return company.empty() ? primaryNumber : company;
}

std::wstring PrimaryNumberOf(IPimContact* contact)
{
    const TextProperty numbers[] = {&IPimContact::get_MobileTelephoneNumber, &IPimContact::get_BusinessTelephoneNumber,
                                    &IPimContact::get_HomeTelephoneNumber};
    for (TextProperty number : numbers) {
        const std::wstring text = ReadText(contact, number);
        if (!text.empty())
            return text;
    }
    return std::wstring();
}

}  // namespace

VelContactItem::VelContactItem(IPimContact* contact)
    : m_id(0), m_favorite(false), m_missing(true), m_categories(nullptr)
{
    const VelComRef<IPimContact> owned(contact);
    LONG id = 0;
    if (contact && SUCCEEDED(contact->get_Oid(&id)))
        m_id = id;
    Load(owned.Get());
}

void VelContactItem::SetThumbnailSide(int pixels) { s_thumbnailSide.store(pixels); }

VelContactItem::~VelContactItem() { LetGoCategories(m_categories); }

VelComRef<IPimContact> VelContactItem::GetContact() const { return FetchContact(m_id); }

void VelContactItem::Load(IPimContact* contact)
{
    const VelComRef<IPimContact> fetched = contact ? VelComRef<IPimContact>() : GetContact();
    IPimContact* source = contact ? contact : fetched.Get();
    if (!source) {
        m_missing = true;
        return;
    }
    m_missing = false;
    const std::wstring company = ReadText(source, &IPimContact::get_CompanyName);
    KeepIfAny(m_company, company);
    m_primaryNumber = PrimaryNumberOf(source);
    m_displayName = DisplayNameOf(source, company, m_primaryNumber);
    // Built by appending, it may hold more room than its text.
    m_displayName.shrink_to_fit();
    const std::wstring categories = ReadText(source, &IPimContact::get_Categories);
    const SharedCategories* held = HoldCategories(categories);
    LetGoCategories(m_categories);
    m_categories = held;
    const VelComRef<IImage> picture = PictureOf(source);
    m_picture.Reset(picture ? ThumbnailOf(picture.Get()) : NULL);
    m_favorite = HoldsFavorites(categories);
}

const std::wstring& VelContactItem::GetCompanyText() const { return m_company ? *m_company : NoText(); }

const std::vector<std::wstring>& VelContactItem::GetCategoryList() const
{
    return m_categories ? m_categories->list : NoCategories();
}

VelContactItem* VelContactItem::Reload() const { return CreateContactItem(m_id); }

bool VelContactItem::Exists(int32_t id)
{
    IPimApplication* application = GetPoomApplication();
    VelComRef<IUnknown> object;
    return application && SUCCEEDED(application->GetItemFromOid(id, object.Receive())) && object;
}

bool VelContactItem::Edit(HWND owner)
{
    return WithContact(m_id, [owner](IPimContact* contact) { return OpenUi(contact, &IPimItem::Edit, owner); });
}

bool VelContactItem::Display(HWND owner)
{
    return WithContact(m_id, [owner](IPimContact* contact) { return OpenUi(contact, &IPimItem::Display, owner); });
}

bool VelContactItem::IsFavorite() const { return HoldsFavorites(ReadFreshText(m_id, &IPimContact::get_Categories)); }

void VelContactItem::SetFavorite(bool favorite)
{
    const VelComRef<IPimContact> contact = GetContact();
    const VelComRef<IPimItem> item = ItemOf(contact.Get());
    if (item) {
        const HRESULT result =
            favorite ? item->AddCategory(kFavoritesCategory) : item->RemoveCategory(kFavoritesCategory);
        if (SUCCEEDED(result)) {
            item->Save();
            m_favorite = IsFavorite();
        }
    }
}

std::wstring VelContactItem::GetMobileNumber() const
{
    return ReadFreshText(m_id, &IPimContact::get_MobileTelephoneNumber);
}

std::wstring VelContactItem::GetWorkNumber() const
{
    return ReadFreshText(m_id, &IPimContact::get_BusinessTelephoneNumber);
}

std::wstring VelContactItem::GetHomeNumber() const
{
    return ReadFreshText(m_id, &IPimContact::get_HomeTelephoneNumber);
}

std::wstring VelContactItem::GetCompany() const { return ReadFreshText(m_id, &IPimContact::get_CompanyName); }

std::wstring VelContactItem::GetPrimaryNumber() const
{
    return WithContact(m_id, [](IPimContact* contact) { return contact ? PrimaryNumberOf(contact) : std::wstring(); });
}

std::wstring VelContactItem::GetDisplayName() const
{
    return WithContact(m_id, [this](IPimContact* contact) {
        return contact ? DisplayNameOf(contact, GetCompanyText(), PrimaryNumberOf(contact)) : std::wstring();
    });
}

std::vector<std::wstring> VelContactItem::GetCategories() const
{
    return SplitCategories(ReadFreshText(m_id, &IPimContact::get_Categories));
}

IImage* VelContactItem::GetPicture() const
{
    return WithContact(m_id, [](IPimContact* contact) { return PictureOf(contact).Detach(); });
}

VelContactItem* CreateContactItem(int32_t id)
{
    VelComRef<IPimContact> contact = FetchContact(id);
    return contact ? new (std::nothrow) VelContactItem(contact.Detach()) : NULL;
}

VelContactItem* CreateNewContact(HWND owner)
{
    IPimApplication* application = GetPoomApplication();
    VelComRef<IUnknown> object;
    if (!application || FAILED(application->CreateItem(kPimItemContact, object.Receive())) || !object)
        return NULL;
    VelComRef<IPimContact> contact =
        OpenUi(object.Get(), &IPimItem::Edit, owner) ? ContactOf(object.Get()) : VelComRef<IPimContact>();
    object.Reset();
    return contact ? new (std::nothrow) VelContactItem(contact.Detach()) : NULL;
}
