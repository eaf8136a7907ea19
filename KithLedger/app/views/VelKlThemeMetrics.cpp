#include "VelKlThemeMetrics.h"

const VelKlThemeMetrics& VelKlThemeMetrics::ForScreen() { return KeptForScreen<VelKlThemeMetrics>(); }
