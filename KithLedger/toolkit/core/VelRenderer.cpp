#include "VelRenderer.h"

VelRenderer::~VelRenderer() {}
