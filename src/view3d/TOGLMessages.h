#pragma once
// Numbers of the messages between the 3D container, its draw, its visual objects and its
// owner, and the container's modes, axes and command codes.

#include <cstdint>

namespace vorelt {

constexpr uint32_t oglEnterMove = 0x42B;   // container -> draw; LParam axis
constexpr uint32_t oglLeaveMove = 0x42C;   // container -> draw
constexpr uint32_t oglCancelMode = 0x42E;  // owner -> container: the view lost the focus
constexpr uint32_t oglIgnored = 0x42F;     // owner -> container: accepted, nothing happens
constexpr uint32_t oglNotify = 0x430;      // container <-> owner: mode, axis or command
constexpr uint32_t oglRender = 0x431;      // draw -> visual objects: draw yourself
constexpr uint32_t oglStatusText = 0x432;  // draw -> container -> owner: status text or none
constexpr uint32_t oglEnterRotate = 0x433; // container -> draw; LParam axis
constexpr uint32_t oglLeaveRotate = 0x434; // container -> draw
constexpr uint32_t oglEnterZoom = 0x435;   // container -> draw
constexpr uint32_t oglLeaveZoom = 0x436;   // container -> draw
constexpr uint32_t oglAxisChanged = 0x437; // container -> draw; LParam axis

// Container modes.
constexpr uint8_t cmWait = 0;
constexpr uint8_t cmTyping = 1;
constexpr uint8_t cmRound = 2;
constexpr uint8_t cmMove = 3;
constexpr uint8_t cmZoom = 4;
constexpr uint8_t cmSelect = 5;

// Axes.
constexpr uint8_t axNone = 0;
constexpr uint8_t axX = 1;
constexpr uint8_t axY = 2;
constexpr uint8_t axZ = 3;

// Command codes of oglNotify sent to the container.
constexpr int32_t ccToDefault = 1;
constexpr int32_t ccToLastSave = 2;
constexpr int32_t ccReset = 3;
constexpr int32_t ccZoom = 4;
constexpr int32_t ccSelect = 5;
constexpr int32_t ccRoundX = 7; // 8, 9: Y, Z
constexpr int32_t ccMoveX = 11; // 12, 13: Y, Z

// Key codes the container gives a meaning of their own.
constexpr int32_t vkBack = 8;
constexpr int32_t vkEscape = 27;

} // namespace vorelt
