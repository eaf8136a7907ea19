#pragma once
#include <cstdint>

#include "VelListKind.h"

class VelKlView;
class VelProgress;

// What the list views ask of the program's application object, which lives
// above them: a fresh load of a list, and a request to the data thread. The
// views find it by asking the current application for this interface.
class VelListLoader {
public:
    enum : uint32_t { kCallLogRequest = 1 };

    virtual void StartLoad(VelListKind kind, VelKlView* view, VelProgress* progress) = 0;
    virtual void PostDataRequest(uint32_t kind, VelKlView* view, uint32_t code, uint32_t recordId) = 0;

    // The running program's loader; null when the application is not one.
    static VelListLoader* Current();

protected:
    ~VelListLoader() = default;
};
