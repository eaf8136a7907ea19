#include "BenchData.h"

#include "VelDevStore.h"

namespace {

const wchar_t* const kFirst[] = {L"Anna",       L"Émile",  L"Zoë",     L"Jürgen",    L"Łukasz",   L"Søren",
                                 L"María José", L"Chloé",  L"Björn",   L"Ana Lucía", L"Oskar",    L"Renée",
                                 L"Tomás",      L"Ines",   L"Håkon",   L"Aiko",      L"Nadia",    L"Pierre-Louis",
                                 L"Ümit",       L"Wiktor", L"Yannick", L"Ólafur",    L"Çağla",    L"Dmitri",
                                 L"Elif",       L"Frida",  L"Gaël",    L"Hugo",      L"Kateřina", L"Luís"};
const wchar_t* const kLast[] = {L"Martin",         L"Åberg",        L"de la Fuente", L"Nowak",        L"Østergaard",
                                L"Müller",         L"van der Berg", L"Šimek",        L"Lefèvre",      L"Ó Briain",
                                L"Zúñiga",         L"Kowalski",     L"Dubois",       L"Nguyễn",       L"Rossi",
                                L"García Márquez", L"Eriksson",     L"Yılmaz",       L"Papadopoulos", L"Bianchi",
                                L"Öztürk",         L"Hernández",    L"Schäfer",      L"Ivanova"};
const wchar_t* const kCompanies[] = {
    L"", L"", L"Acme", L"Velmora", L"Nordlys AB", L"Café Olé", L"Müller & Söhne", L"Brasserie du Port", L""};
const wchar_t* const kCategories[] = {L"", L"", L"Work", L"Golf", L"Family", L"Work, Golf", L""};
const wchar_t* const kWords[] = {L"see", L"you", L"at", L"the",     L"café", L"tonight", L"ok", L"thanks",
                                 L"où",  L"es",  L"tú", L"running", L"late", L"call",    L"me", L"später"};

const int kFavoritePercent = 10;
const int kPicturePercent = 5;
const int kLongFieldPermille = 20;
const int kEmptyNamePermille = 15;
const size_t kLongField = 1000;
const int kHistoryDays = 60;
const int kPictureSide = 48;

template <size_t N>
const wchar_t* Pick(const wchar_t* const (&list)[N], int index)
{
    return list[size_t(index) % N];
}

std::string Picture(COLORREF colour)
{
    const int side = kPictureSide;
    std::string bytes(54 + side * side * 3, '\0');
    BITMAPFILEHEADER* file = reinterpret_cast<BITMAPFILEHEADER*>(&bytes[0]);
    BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(&bytes[14]);
    file->bfType = 0x4D42;
    file->bfSize = DWORD(bytes.size());
    file->bfOffBits = 54;
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = side;
    info->biHeight = side;
    info->biPlanes = 1;
    info->biBitCount = 24;
    for (int i = 0; i < side * side; ++i) {
        bytes[54 + i * 3] = char(GetBValue(colour));
        bytes[54 + i * 3 + 1] = char(GetGValue(colour));
        bytes[54 + i * 3 + 2] = char(GetRValue(colour));
    }
    return bytes;
}

FILETIME MinutesAgo(ULONGLONG minutes)
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= minutes * 60ULL * 10000000ULL;
    FILETIME out;
    out.dwLowDateTime = t.LowPart;
    out.dwHighDateTime = t.HighPart;
    return out;
}

}  // namespace

uint32_t BenchData::Next()
{
    // xorshift32: the same rows on every machine.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

std::wstring BenchData::Name() { return std::wstring(Pick(kFirst, Below(1000))) + L" " + Pick(kLast, Below(1000)); }

std::wstring BenchData::Number()
{
    std::wstring number = L"+4" + std::to_wstring(1 + Below(9)) + L" ";
    for (int i = 0; i < 9; ++i)
        number += wchar_t(L'0' + Below(10));
    return number;
}

void BenchData::AddContacts(VelDevStore& store, int count, int first)
{
    std::vector<std::pair<DWORD, COLORREF>> pictures;
    store.Transact([&](VelDevStoreData& data) {
        for (int i = 0; i < count; ++i) {
            VelDevContact c;
            if (Below(1000) >= kEmptyNamePermille) {
                const std::wstring name = Name();
                const size_t space = name.find(L' ');
                c.firstName = name.substr(0, space);
                c.lastName = name.substr(space + 1);
                // Several contacts of one name differ by a number in the file-as.
                c.fileAs = c.lastName + L", " + c.firstName + (Below(4) == 0 ? L" " + std::to_wstring(first + i) : L"");
            }
            c.company = Pick(kCompanies, Below(1000));
            if (Below(1000) < kLongFieldPermille)
                c.company = std::wstring(kLongField, L'é');
            const int numbers = 1 + Below(3);
            c.mobile = Number();
            if (numbers > 1)
                c.work = Number();
            if (numbers > 2)
                c.home = Number();
            c.categories = Pick(kCategories, Below(1000));
            if (Below(100) < kFavoritePercent)
                c.categories = c.categories.empty() ? L"Favorites" : c.categories + L", Favorites";
            const bool picture = Below(100) < kPicturePercent;
            const DWORD id = data.AddContact(c);
            if (picture)
                pictures.push_back(std::make_pair(id, RGB(Below(256), Below(256), Below(256))));
        }
        return true;
    });
    for (const auto& p : pictures)
        store.SetContactPicture(p.first, Picture(p.second), L"bmp");
}

void BenchData::AddCalls(VelDevStore& store, int count)
{
    store.Transact([&](VelDevStoreData& data) {
        for (int i = 0; i < count; ++i) {
            VelDevCall c;
            const ULONGLONG ago = ULONGLONG(Below(kHistoryDays * 24 * 60));
            c.start = MinutesAgo(ago + 1);
            c.end = MinutesAgo(ago);
            c.direction = DWORD(Below(3));
            c.flags = c.direction == kDevCallMissed ? 0 : 6;
            c.number = Number();
            if (Below(3) != 0)
                c.name = Name();
            data.AddCall(c);
        }
        return true;
    });
}

void BenchData::AddMessages(VelDevStore& store, int count)
{
    store.Transact([&](VelDevStoreData& data) {
        for (int i = 0; i < count; ++i) {
            VelDevMessage m;
            const bool sent = Below(3) == 0;
            m.folder = sent ? kDevSmsSent : kDevSmsInbox;
            const int words = 1 + Below(Below(20) == 0 ? 200 : 12);
            for (int w = 0; w < words; ++w)
                m.text += std::wstring(w ? L" " : L"") + Pick(kWords, Below(1000));
            const std::wstring who = Name();
            if (sent) {
                m.recipients.push_back(VelDevRecipient{who, Number()});
            } else {
                m.senderName = who;
                m.senderAddress = Number();
            }
            m.hasDeliveryTime = true;
            m.deliveryTime = MinutesAgo(ULONGLONG(Below(kHistoryDays * 24 * 60)));
            m.hasFlags = true;
            m.flags = Below(4) ? 1 : 0;
            data.AddMessage(m);
        }
        return true;
    });
}
