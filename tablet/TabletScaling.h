// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "model/TabletPacket.h"

// Scaling of raw pen values into the ranges every tablet layer delivers.

/// Maps a device axis value onto 0..screenSize-1, the axis's minimum to the
/// first pixel and its maximum to the last, as a context over the whole
/// tablet surface does. Values outside the axis are held at its ends.
int32_t MapAxisToScreen(int32_t value, int32_t minimum, int32_t maximum, int32_t screenSize);

/// Maps a position in a widget `areaSize` pixels wide onto 0..screenSize-1 so
/// that the area's edges reach the screen's edges and the engine's scaling
/// back (areaSize × result ÷ screenSize, truncated) gives the pixel again.
/// Positions outside the area are held at its edges.
int32_t MapAreaToScreen(double position, int32_t areaSize, int32_t screenSize);

/// Scales a device pressure onto 0..1023; the axis minimum (or less) is 0.
uint32_t ScalePressure(int32_t value, int32_t minimum, int32_t maximum);

/// Scales a pressure fraction 0..1 onto 0..1023.
uint32_t ScalePressure(double fraction);
