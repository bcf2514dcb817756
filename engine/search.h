#pragma once
// Finding the top-level windows to arrange.
#include <cstdint>
#include <string>
#include <vector>

#include "base/memory.h"

// An ordered list of window handles, owned for one arrangement: a one-dimensional
// array block that starts as the constant empty array.
class WindowList {
 public:
  WindowList() = default;
  WindowList(const WindowList&) = delete;
  WindowList& operator=(const WindowList&) = delete;
  ~WindowList() { FreeBlock(block_); }

  int32_t*& block() { return block_; }
  const int32_t* get() const { return block_; }
  int32_t Count() const { return ArrayElementCount(block_); }
  // Back to the constant empty array.
  void Clear() {
    FreeBlock(block_);
    block_ = const_cast<int32_t*>(kEmptyArray);
  }
  // One more handle at the end: one reallocation per append.
  void Append(int32_t handle);

 private:
  int32_t* block_ = const_cast<int32_t*>(kEmptyArray);
};

// The conditions of one search, made ready once: upper-cased, as the system compares
// class names and titles (whole, without regard to case). A null condition matches
// any value. A title pattern (TitleLike) is folded the same way.
class WindowMatcher {
 public:
  WindowMatcher(const char* className, const char* title, const char* program,
                const char* titlePattern = nullptr);
  // What a window keeps all its life: its class and its program. A window whose
  // program cannot be asked for its name matches no program name; `settled`, when
  // given, is then false, since asking again may answer.
  bool LastingMatch(void* hwnd, bool* settled = nullptr) const;
  // Its title as the system keeps it, read without asking the window: the title
  // whole, or by the pattern.
  bool TitleMatches(void* hwnd) const;
  // In sight now: visible and not cloaked; by program, also one of its own windows
  // (IsProgramWindow), not its dialogs, menus or helpers.
  bool InSight(void* hwnd) const;
  bool HasTitle() const { return byTitle_ || byPattern_; }
  bool HasProgram() const { return byProgram_; }

 private:
  bool byClass_, byTitle_, byProgram_, byPattern_;
  std::wstring class_, title_, program_, pattern_;
  mutable std::wstring buffer_;
};

// Every top-level window, in the system's order from the top, taken at once.
std::vector<void*> TopLevelWindows();

// The file name of the window's program ("notepad.exe"), as the system spells it;
// empty when the program cannot be asked.
std::string ProgramNameOf(void* hwnd);

// Every top-level window whose class name, title and program's file name equal the
// given ones, and whose title matches `titlePattern`, in the system's order from the
// top; a null condition matches any value.
// A window whose program cannot be asked for its name matches no program name. By
// program, only the program's own windows count (IsProgramWindow); by class or title
// alone, any window so named, shown or not. The list is emptied first. True when at
// least one window was found.
bool FindMatchingWindows(const char* className, const char* title, WindowList& list,
                         const char* program = nullptr, const char* titlePattern = nullptr);

// Compares two titles as the system's file lists order names: numbers by their value
// in any digits ("２" before "10"), letters without regard to case in every script
// (CompareStringEx; StrCmpLogicalW where it is missing). Negative, 0 or positive.
int CompareTitles(const std::string& a, const std::string& b);

// Puts the list in title order (TitleOrder with CompareTitles), reading each title as
// the system keeps it, so that no window is asked.
void SortByTitle(WindowList& list);
