// The toolkit's process-wide objects, in the order they must be built: the
// control core first (so it is object 100 and its root 101), then the
// tolerances, then the fonts. They share this file because the core's Instance
// pointer lives here: every program that uses the core links all of them.
#include "VelToolkitStatics.h"
#include "VelAbstractControl.h"
#include "VelControlCore.h"
#include "VelRootControl.h"

#include <cstdlib>
#include <new>

namespace {

// The one core of the process.
class VelControlCoreCreator : public VelControlCore {
public:
    VelControlCoreCreator()
    {
        Instance = this;
        VelAbstractControl::RegisterWndClass(L"_VELWINDOW_WC_", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
        VelAbstractControl::RegisterWndClass(L"_VELAPPLICATION_CALLBACK_WC_", 0);
        CreateCallbackWindow();
    }

    ~VelControlCoreCreator() override
    {
        // Controls still alive go while the core can still take them down.
        VelRootControl* root = GetRoot();
        while (!root->GetChildren().empty()) {
            VelAbstractControl* window = root->GetChildren().front();
            window->Destroy();
            if (!root->GetChildren().empty() && root->GetChildren().front() == window)
                root->RemoveChildControl(window);
        }
        Instance = nullptr;
    }
};

// The core lives in storage of its own so that its end is DestroyInstance,
// registered as the exit function of its initialiser.
alignas(VelControlCoreCreator) unsigned char s_coreStorage[sizeof(VelControlCoreCreator)];

struct VelControlCoreBuilder {
    VelControlCoreBuilder()
    {
        new (s_coreStorage) VelControlCoreCreator;
        std::atexit(&VelControlCore::DestroyInstance);
    }
};

}  // namespace

VelControlCore* VelControlCore::Instance = nullptr;

void VelControlCore::DestroyInstance()
{
    if (VelControlCore* core = Instance)
        core->~VelControlCore();
}

namespace {
VelControlCoreBuilder s_core;
}

SIZE DoubleClickTolerance = {::GetSystemMetrics(SM_CXDOUBLECLK) / 3, ::GetSystemMetrics(SM_CYDOUBLECLK) / 3};

VelFont DefaultFonts[kDefaultFontCount] = {
    VelFont(L"Tahoma", 10, 0),   VelFont(L"Tahoma", 12, 0),   VelFont(L"Tahoma", 12, 700), VelFont(L"Tahoma", 10, 400),
    VelFont(L"Tahoma", 12, 400), VelFont(L"Tahoma", 10, 700), VelFont(L"Tahoma", 8, 400),  VelFont(L"Tahoma", 16, 700),
};
