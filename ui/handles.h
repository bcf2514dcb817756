#pragma once
// Move-only owners of the GDI and user handles the window holds.
#include <windows.h>

#include <utility>

template <typename H, BOOL(WINAPI* Destroy)(H)>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(H h) : h_(h) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle(OwnedHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, nullptr));
    return *this;
  }
  ~OwnedHandle() { reset(); }
  void reset(H h = nullptr) {
    if (h_) Destroy(h_);
    h_ = h;
  }
  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  H h_ = nullptr;
};

// Named apart from the macros of <windowsx.h>, which would otherwise rewrite them.
inline BOOL WINAPI DeleteFontObject(HFONT f) { return DeleteObject(f); }
inline BOOL WINAPI DeleteBrushObject(HBRUSH b) { return DeleteObject(b); }
inline BOOL WINAPI DeleteBitmapObject(HBITMAP b) { return DeleteObject(b); }

using FontHandle = OwnedHandle<HFONT, DeleteFontObject>;
using BrushHandle = OwnedHandle<HBRUSH, DeleteBrushObject>;
using BitmapHandle = OwnedHandle<HBITMAP, DeleteBitmapObject>;
using MemoryDcHandle = OwnedHandle<HDC, DeleteDC>;
using IconHandle = OwnedHandle<HICON, DestroyIcon>;
using CursorHandle = OwnedHandle<HCURSOR, DestroyCursor>;

// An object selected into a device context for one scope, the old one put back at
// its end.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() { SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};
