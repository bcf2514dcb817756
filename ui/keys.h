#pragma once
// Keyboard facts of the common events, without <windows.h>.
#include <cstdint>

// The key code an event reports: the keypad's digits, minus, point and slash as
// their main-keyboard counterparts; everything else as it is.
int32_t EventKeyCode(int32_t virtualKey);

// Wheel steps of a wheel distance: 120 to a step, truncated toward zero.
inline int32_t WheelSteps(int16_t distance) { return distance / 120; }
