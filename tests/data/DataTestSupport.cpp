#include "DataTestSupport.h"

#include <cstdlib>

#include "VelContactItem.h"
#include "VelLocalizedStrings.h"
#include "VelScreenMetrics.h"

namespace {

const wchar_t kWindowClass[] = L"VelDataTestWindow";

// The unknown-caller text comes from the language library.
struct LanguageOnce {
    LanguageOnce() { LoadLanguage(L"English"); }
};

}  // namespace

void DataStoreTest::SetUp()
{
    static LanguageOnce language;
    SetEnvironmentVariableW(VEL_DEBUG_LOG_ENV, (m_folder + L"\\debug.log").c_str());
    SetFaults(NULL);
    // The views give the thumbnail side in the program: here, the picture
    // column of the screen the test sees.
    VelContactItem::SetThumbnailSide(VelScreenMetrics::GetLongerSide() / 10);
}

void DataStoreTest::TearDown()
{
    SetFaults(NULL);
    SetEnvironmentVariableW(VEL_DEBUG_LOG_ENV, NULL);
}

void DataStoreTest::SetFaults(const wchar_t* faults) { SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, faults); }

std::vector<std::wstring> DataStoreTest::DebugLines() const
{
    std::string bytes;
    VelDevReadFile(m_folder + L"\\debug.log", &bytes);
    std::vector<std::wstring> lines;
    const std::wstring text = VelDevFromUtf8(bytes);
    size_t start = 0;
    while (start < text.size()) {
        size_t stop = text.find(L'\n', start);
        if (stop == std::wstring::npos)
            stop = text.size();
        lines.push_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return lines;
}

DWORD LastNumber(const std::string& output)
{
    DWORD number = 0;
    for (size_t i = 0; i < output.size();) {
        if (output[i] >= '0' && output[i] <= '9') {
            number = std::strtoul(output.c_str() + i, NULL, 10);
            while (i < output.size() && output[i] >= '0' && output[i] <= '9')
                ++i;
        } else {
            ++i;
        }
    }
    return number;
}

TestMessageWindow::TestMessageWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, NULL, NULL, GetModuleHandleW(NULL), NULL);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TestMessageWindow::~TestMessageWindow() { DestroyWindow(m_window); }

LRESULT CALLBACK TestMessageWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TestMessageWindow* self = reinterpret_cast<TestMessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    for (Handler handler : self->m_handlers)
        handler(self, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

FILETIME UtcMinutesAgo(int minutes)
{
    const FILETIME now = VelDevNow();
    ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    ticks -= static_cast<ULONGLONG>(minutes) * 60ULL * 10000000ULL;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}
