#include "VelContactView.h"

#include "VelBitmap.h"
#include "VelButtonWindowLess.h"
#include "VelCanvas.h"
#include "VelComRef.h"
#include "VelContactItem.h"
#include "VelControlCore.h"
#include "VelGradient.h"
#include "VelKlResourceIds.h"
#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelPhoneCall.h"
#include "VelPoomSession.h"
#include "VelSmsComposer.h"
#include "VelStaticText.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"

#include <Imaging.h>

#include <cstdlib>

namespace {

const int kViewId = 1;
const DWORD kViewStyle = VelKlView::kStyleTitleBar;
const DWORD kChildStyle = 56;
const UINT kActionTextFormat = DT_RIGHT | DT_END_ELLIPSIS;
const UINT kNameTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

const unsigned kBackgroundLevels = 256;
const int kGradientTopToBottom = 1;

// Requests a data-thread slot posts to the view's own thread.
enum : int { kContactChangedMessage = 1, kContactDeletedMessage = 2 };

struct ActionRecord {
    int id;
    UINT labelId;
    UINT imageId;
    UINT pressedImageId;
    const char* name;
};

const ActionRecord kActions[] = {
    {VelContactView::kCallMobileId, kStrCallMobile, kImageCallMobile, kImageCallMobilePressed, "button-mobile"},
    {VelContactView::kSendSmsId, kStrSendSms, kImageSendSms, kImageSendSmsPressed, "button-send-sms"},
    {VelContactView::kSendMmsId, kStrSendMms, kImageSendMms, kImageSendMmsPressed, "button-send-mms"},
    {VelContactView::kCallHomeId, kStrCallHome, kImageCallHome, kImageCallHomePressed, "button-call-home"},
    {VelContactView::kCallWorkId, kStrCallWork, kImageCallWork, kImageCallWorkPressed, "button-call-work"},
};

int ImageHeight(UINT imageId)
{
    VelBitmap* image = GetCurrentTheme()->GetImage(imageId);
    return image ? image->GetHeight() : 0;
}

// The contact's picture reduced to the frame, or null.
VelBitmap* LoadPicture(const VelContactItem& contact)
{
    const VelComRef<IImage> full(contact.GetPicture());
    if (!full)
        return nullptr;
    VelBitmap* picture = nullptr;
    ImageInfo info = {};
    if (SUCCEEDED(full->GetImageInfo(&info)) && info.Width && info.Height) {
        const SIZE size = VelContactView::FitPicture(info.Width, info.Height);
        VelComRef<IImage> thumbnail;
        if (size.cx > 0 && size.cy > 0 && SUCCEEDED(full->GetThumbnail(size.cx, size.cy, thumbnail.Receive())) &&
            thumbnail)
            picture = new VelBitmap(thumbnail.Get());
    }
    return picture;
}

// White captions in the tiny fonts.
void SetCaptionStyle(VelButtonWindowLess* button, UINT format)
{
    VelKlTheme* theme = GetCurrentTheme();
    button->SetFont(theme->GetTinyBoldFont());
    button->SetSubTextFont(theme->GetTinyFont());
    VelColor caption;
    button->SetColor(theme->GetContactCaptionColor(caption));
    button->SetTextFormat(format);
}

}  // namespace

VelContactView::VelContactView(VelObject* parent, const std::string& name)
    : VelKlView(kViewId, kViewStyle, parent, name), m_contactShown(false), m_margin(0), m_gap(0), m_columnPitch(0),
      m_rowPitch(0), m_background(kBackgroundLevels)
{
    VelKlTheme* theme = GetCurrentTheme();
    VelColor top;
    VelColor bottom;
    m_background.AddColorPoint(0, theme->GetContactBackgroundTopColor(top));
    m_background.AddColorPoint(100, theme->GetContactBackgroundBottomColor(bottom));
    // A theme without the image leaves only the screen-sized part; every
    // title-bar button image is one size.
    SetTitleBarHeight(ImageHeight(kImageNewContact) + VelKlTheme::GetMetrics().GetTitleBarExtra());
}

VelContactView::~VelContactView()
{
    // The window goes first, while the picture it may still paint is alive;
    // the controls themselves go with the object tree.
    Destroy();
    m_buttons.clear();
    m_pictures.clear();
}

const wchar_t* VelContactView::GetClassName() const { return L"VelContactView"; }

void VelContactView::Reserved1() {}

int VelContactView::Reserved2() const { return 0; }

SIZE VelContactView::FitPicture(UINT width, UINT height)
{
    if (!width || !height)
        return SIZE{0, 0};
    const double ratio = static_cast<double>(height) / static_cast<double>(width);
    if (ratio > 1)
        return SIZE{static_cast<LONG>(kPictureSidePixels / ratio), kPictureSidePixels};
    return SIZE{kPictureSidePixels, static_cast<LONG>(ratio * kPictureSidePixels)};
}

void VelContactView::Create(VelObject* sender, const VelCreateEventArgs* args)
{
    VelKlView::Create(sender, args);
    SetTitleBar(LoadLocalizedString(kStrContactTitle), kBackButtonId, kImageBack, kImageBackPressed, kFavoriteButtonId,
                kImageNotFavorite, kImageFavorite);
    const VelRect bounds = GetBounds();

    ContactChanged.Connect(this, &VelContactView::OnContactChanged);
    ContactDeleted.Connect(this, &VelContactView::OnContactDeleted);
    TitleButtonClicked.Connect(this, &VelContactView::OnTitleButtonClicked);

    for (const ActionRecord& action : kActions) {
        VelButtonWindowLess* button =
            AddButton(action.id, action.labelId, action.imageId, action.pressedImageId, action.name);
        SetCaptionStyle(button, kActionTextFormat);
        button->SetAutoSize(true);
        button->Create(this, kChildStyle, VelRect());
        button->ClickDone += VelBind(this, &VelContactView::OnActionClicked);
    }

    VelButtonWindowLess* nameButton =
        AddButton(kNameId, 0, kImageContactName, kImageContactName, "button-contact-name");
    SetCaptionStyle(nameButton, kNameTextFormat);
    nameButton->SetAutoSize(true);
    nameButton->Create(this, kChildStyle, VelRect());

    const struct {
        int id;
        UINT imageId;
        UINT pressedImageId;
    } small[] = {{kCardId, kImageContactCard, kImageContactCardPressed},
                 {kEditId, kImageEditContact, kImageEditContactPressed}};
    for (const auto& record : small) {
        VelButtonWindowLess* button =
            AddButton(record.id, 0, record.imageId, record.pressedImageId, "button-contact-name");
        button->SetAutoSize(true);
        button->ClickDone += VelBind(this, &VelContactView::OnActionClicked);
        button->Create(this, kChildStyle, VelRect());
    }

    // Made last, the picture lies above its frame.
    AddPicture(kFrameId, GetCurrentTheme()->GetImage(kImageContactFrame), "static-contact-frame-picture");
    AddPicture(kPictureId, nullptr, "static-contact-picture");

    LayoutChildren(bounds);
}

VelButtonWindowLess* VelContactView::AddButton(int id, UINT labelId, UINT imageId, UINT pressedImageId,
                                               const std::string& name)
{
    VelKlTheme* theme = GetCurrentTheme();
    const DWORD_PTR pressed = VelButtonWindowLess::ImageData(theme->GetImage(pressedImageId));
    VelButtonWindowLess* button = new VelButtonWindowLess(id, labelId ? LoadLocalizedString(labelId) : std::wstring(),
                                                          theme->GetImage(imageId), pressed, pressed, 0, this, name);
    m_buttons[id] = button;
    return button;
}

VelStaticText* VelContactView::AddPicture(int id, VelBitmap* image, const std::string& name)
{
    VelStaticText* picture = new VelStaticText(std::wstring(), image, this, name);
    picture->SetAutoSize(true);
    picture->Create(this, kChildStyle, VelRect());
    m_pictures[id] = picture;
    return picture;
}

VelButtonWindowLess* VelContactView::GetButton(int id) const
{
    auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second;
}

VelStaticText* VelContactView::GetPictureControl(int id) const
{
    auto found = m_pictures.find(id);
    return found == m_pictures.end() ? nullptr : found->second;
}

void VelContactView::LayoutChildren(const RECT& rect)
{
    VelStaticText* frame = GetPictureControl(kFrameId);
    VelStaticText* picture = GetPictureControl(kPictureId);
    VelButtonWindowLess* nameButton = GetButton(kNameId);
    VelButtonWindowLess* card = GetButton(kCardId);
    VelButtonWindowLess* edit = GetButton(kEditId);
    if (!frame || !picture || !nameButton || !card || !edit)
        return;

    const VelKlThemeMetrics& metrics = VelKlTheme::GetMetrics();
    const int T = GetTitleBarHeight();
    m_margin = metrics.GetContactMargin();
    m_gap = metrics.GetContactGap();
    const int W = std::abs(rect.left - rect.right);
    const int H = std::abs(rect.top - rect.bottom) - T;
    m_columnPitch = (W - 3 * m_margin) / 2;
    m_rowPitch = (H - 6 * m_gap) / 5;
    const int m = m_margin;
    const int g = m_gap;

    frame->MoveTo(VelPoint(m, T + g));
    const VelRect frameBounds = frame->GetBounds();
    picture->SetBounds(frameBounds);

    // Signed: a name image taller than the frame must not throw the button off the screen.
    const int nameLeft = W - nameButton->GetWidth() - m;
    nameButton->MoveTo(VelPoint(nameLeft, T + g + (frameBounds.GetHeight() - nameButton->GetHeight()) / 8));

    const int smallTop = frameBounds.bottom - metrics.GetContactCardLift() - card->GetHeight();
    edit->MoveTo(VelPoint(nameLeft, smallTop));
    card->MoveTo(VelPoint(nameLeft + nameButton->GetWidth() - card->GetWidth(), smallTop));

    const int B = T + g + frameBounds.GetHeight();
    const int BW = m_columnPitch;
    const int BH = m_rowPitch;
    const struct {
        int id;
        int x;
        int y;
    } grid[] = {
        {kSendSmsId, m, B + g},
        {kSendMmsId, BW + 2 * m, B + g},
        {kCallHomeId, m, B + 2 * g + BH},
        {kCallWorkId, BW + 2 * m, B + 2 * g + BH},
        {kCallMobileId, m, B + 3 * g + 2 * BH},
    };
    for (const auto& cell : grid)
        if (VelButtonWindowLess* button = GetButton(cell.id))
            button->MoveTo(VelPoint(cell.x, cell.y));
}

void VelContactView::ShowContact(const VelContactItem* contact)
{
    // A fresh copy first: the given item may be the copy held now.
    std::unique_ptr<VelContactItem> fresh(contact ? contact->Reload() : nullptr);
    if (!fresh) {
        ShowPlaceholder();
        ShowTexts();
        return;
    }
    m_name = fresh->GetDisplayNameText();
    m_workNumber = fresh->GetWorkNumber();
    m_mobileNumber = fresh->GetMobileNumber();
    m_homeNumber = fresh->GetHomeNumber();
    m_picture.reset();
    m_picture.reset(LoadPicture(*fresh));
    ShowFavorite(fresh->GetFavorite());
    m_contact = std::move(fresh);
    m_contactShown = true;
    ShowTexts();
}

void VelContactView::ShowPlaceholder()
{
    const std::wstring placeholder = LoadLocalizedString(kStrNoContactPlaceholder);
    m_name = m_workNumber = m_mobileNumber = m_homeNumber = placeholder;
    m_contactShown = false;
    if (VelStaticText* picture = GetPictureControl(kPictureId)) {
        picture->SetImage(nullptr);
    }
    m_picture.reset();
    if (VelToolbarButton* favorite = dynamic_cast<VelToolbarButton*>(FindTitleBarItem(kFavoriteButtonId))) {
        VelBitmap* image = GetCurrentTheme()->GetImage(kImageNotFavorite);
        favorite->SetImage(image);
        favorite->SetHighlightedImage(image);
    }
    if (VelToolbar* bar = GetTitleBar())
        bar->InvalidateRect(bar->GetClientRect());
}

void VelContactView::ShowTexts()
{
    if (VelStaticText* picture = GetPictureControl(kPictureId)) {
        picture->SetImage(m_picture.get());
        picture->InvalidateRect(picture->GetClientRect());
    }
    if (VelButtonWindowLess* nameButton = GetButton(kNameId))
        nameButton->SetText(m_name);
    const struct {
        int id;
        const std::wstring& number;
    } lines[] = {
        {kCallMobileId, m_mobileNumber}, {kCallHomeId, m_homeNumber},  {kCallWorkId, m_workNumber},
        {kSendSmsId, m_mobileNumber},    {kSendMmsId, m_mobileNumber},
    };
    for (const auto& line : lines)
        if (VelButtonWindowLess* button = GetButton(line.id))
            button->SetSubText(line.number);
}

void VelContactView::ShowFavorite(bool favorite)
{
    VelToolbarButton* button = dynamic_cast<VelToolbarButton*>(FindTitleBarItem(kFavoriteButtonId));
    if (!button)
        return;
    VelKlTheme* theme = GetCurrentTheme();
    VelBitmap* on = theme->GetImage(kImageFavorite);
    VelBitmap* off = theme->GetImage(kImageNotFavorite);
    button->SetImage(favorite ? on : off);
    button->SetHighlightedImage(favorite ? off : on);
    if (VelToolbar* bar = GetTitleBar())
        bar->InvalidateRect(bar->GetClientRect());
}

void VelContactView::OnActionClicked(VelObject* sender, const VelButtonEventArgs*)
{
    VelButton* button = dynamic_cast<VelButton*>(sender);
    if (!button || !m_contact || !m_contactShown)
        return;
    switch (button->GetButtonId()) {
    case kCallMobileId:
        if (!m_mobileNumber.empty())
            PlaceCall(m_mobileNumber, m_name);
        break;
    case kSendSmsId:
    case kSendMmsId:
        // The platform writes both through the same SMS composer.
        if (!m_mobileNumber.empty())
            StartSmsComposer(FormatSmsRecipient(m_mobileNumber, m_name));
        break;
    case kCallHomeId:
        if (!m_homeNumber.empty())
            PlaceCall(m_homeNumber, m_name);
        break;
    case kCallWorkId:
        if (!m_workNumber.empty())
            PlaceCall(m_workNumber, m_name);
        break;
    case kCardId:
    case kEditId: {
        VelAbstractControl* window = GetWindowControl();
        const HWND owner = window ? window->GetHandle() : nullptr;
        if (button->GetButtonId() == kCardId)
            m_contact->Display(owner);
        else
            m_contact->Edit(owner);
        break;
    }
    default:
        break;
    }
}

void VelContactView::OnTitleButtonClicked(VelToolbar*, VelToolbarItem* item)
{
    if (!item || item->GetId() != kFavoriteButtonId || !m_contact || !m_contactShown)
        return;
    m_contact->SetFavorite(!m_contact->GetFavorite());
    // The copy's flag changes only when the store took it, so the button never claims a failed change.
    ShowFavorite(m_contact->GetFavorite());
}

bool VelContactView::PostToOwner(int code, int32_t id)
{
    if (!IsCreated() || GetOwnerThreadId() == ::GetCurrentThreadId())
        return false;
    // The held copy, the texts and the picture belong to the thread that paints them.
    VelControlCore::Instance->PostUserMessage(code, this, id);
    return true;
}

int VelContactView::OnUserMessage(const VelUserMessageEventArgs* args)
{
    if (args && args->code == kContactChangedMessage)
        OnContactChangedHere(static_cast<int32_t>(args->argument));
    else if (args && args->code == kContactDeletedMessage)
        OnContactDeletedHere(static_cast<int32_t>(args->argument));
    return VelKlView::OnUserMessage(args);
}

void VelContactView::OnContactChanged(int32_t id)
{
    if (!PostToOwner(kContactChangedMessage, id))
        OnContactChangedHere(id);
}

void VelContactView::OnContactDeleted(int32_t id)
{
    if (!PostToOwner(kContactDeletedMessage, id))
        OnContactDeletedHere(id);
}

void VelContactView::OnContactChangedHere(int32_t id)
{
    // Only the contact on screen concerns this view.
    if (!m_contact || m_contact->GetId() != id)
        return;
    if (!VelContactItem::Exists(id)) {
        ShowContact(nullptr);
        InvalidateWhole();
        return;
    }
    m_contact->Load(nullptr);
    if (!m_contact->IsMissing()) {
        ShowContact(m_contact.get());
        InvalidateWhole();
    }
}

void VelContactView::OnContactDeletedHere(int32_t id)
{
    if (m_contact && m_contact->GetId() == id) {
        ShowContact(nullptr);
        InvalidateWhole();
    }
}

void VelContactView::OnClear()
{
    if (VelStaticText* picture = GetPictureControl(kPictureId))
        picture->SetImage(nullptr);
    m_picture.reset();
}

void VelContactView::InvalidateWhole() { InvalidateRect(GetClientRect()); }

int VelContactView::OnPaint(const VelPaintEventArgs* args)
{
    if (!args || !args->canvas)
        return 0;
    args->canvas->FillGradient(VelRect(0, 0, GetWidth(), GetHeight()), m_background, kGradientTopToBottom);
    return 0;
}
