// The messaging program: keeps the line it was started with in the device
// store's outbox.log and ends. The line is taken raw: it is started without
// its own name in front, so an argument list would read "-service" as argv[0].
#include "VelDevStore.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    return store->AppendLog(L"outbox.log", GetCommandLineW()) ? 0 : 1;
}
