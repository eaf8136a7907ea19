#include "FakeTick.h"

#include <gtest/gtest.h>

#include "VelControlCore.h"

namespace {

DWORD s_tick = 0;
bool s_inForce = false;

DWORD WINAPI ReadTick() { return s_tick; }

}  // namespace

FakeTick::FakeTick(DWORD start)
{
    EXPECT_FALSE(s_inForce) << "a second fake tick would steal the first one's clock";
    s_inForce = true;
    s_tick = start;
    VelControlCore::SetTickSource(&ReadTick);
}

FakeTick::~FakeTick()
{
    VelControlCore::SetTickSource(nullptr);
    s_inForce = false;
}

DWORD FakeTick::Now() const { return s_tick; }

void FakeTick::Set(DWORD tick) { s_tick = tick; }

DWORD FakeTick::Advance(DWORD ms) { return s_tick += ms; }

DWORD& FakeTick::Current() { return s_tick; }
