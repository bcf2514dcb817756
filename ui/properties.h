#pragma once
// Numbered properties of the controls, read and written through a control
// reference. Numbers 0 to 7 mean the same for every kind; the kind's own start at 8.
#include <windows.h>

#include <cstdint>

#include "base/application.h"
#include "base/text.h"

enum CommonProperty : int {
  kPropLeft = 0,
  kPropTop = 1,
  kPropWidth = 2,
  kPropHeight = 3,
  kPropTag = 4,
  kPropVisible = 5,
  kPropDisabled = 6,
  kPropMousePointer = 7,
};

// The kind properties the program uses.
constexpr int kEditContent = 8;
constexpr int kEditTextColour = 10;
constexpr int kEditMaxLength = 14;
constexpr int kEditInputMode = 18;
constexpr int kPicturePicture = 10;
constexpr int kPictureDisplayMode = 11;
constexpr int kCheckBoxChecked = 18;
constexpr int kComboSelection = 19;
constexpr int kTabCurrentPage = 12;

// An int, bool, colour or choice; or, for a text or byte data, a new block (or null)
// that the caller frees with FreeBlock.
uintptr_t ReadProperty(uint32_t window, uint32_t control, int number, int element = -1);

// The value as two words; a text is passed as its pointer, byte data as a pointer to
// its array block.
void WriteProperty(uint32_t window, uint32_t control, int number, int element, uintptr_t low,
                   uint32_t high = 0);

// Typed forms over the main window.
int32_t ReadInt(uint32_t control, int number);
Text ReadText(uint32_t control, int number);
void WriteInt(uint32_t control, int number, int32_t value);
void WriteText(uint32_t control, int number, const char* text);
// Byte data from plain bytes (copied into an array block for the write).
void WriteBytes(uint32_t control, int number, const uint8_t* data, size_t size);
