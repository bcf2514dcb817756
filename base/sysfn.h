#pragma once
// Operating-system functions named by library and entry in a fixed table, bound by
// name at their first call and freed at shutdown (base/shutdown.h).
#include <cstdint>
#include <type_traits>

#include "base/application.h"
#include "base/fault.h"

enum SystemFunction : int {
  kFindWindowExW = 0,
  kShowWindow = 1,
  kSetWindowPos = 2,
  kSHAppBarMessage = 3,
  kGetWindowRect = 4,
  kGetParent = 5,
};

struct SystemFunctionName {
  const char* library;  // "" searches the six system libraries
  const char* entry;    // "#n" names an export by ordinal
};

extern const SystemFunctionName kSystemFunctionTable[kSystemFunctionCount];

// Binds one entry into its slot (if not bound yet) and returns its address. A library
// or entry that cannot be found is a fault.
void* BindEntry(const SystemFunctionName& name, SystemFunctionSlot& slot);

// BindEntry for an index of the program's table.
void* BindSystemFunction(int index);

// Calls a system function with pointer-sized arguments (integers sign-extended,
// handles and pointers whole). On x86 the callee is stdcall and must remove exactly
// those arguments from the stack; a call that did not is fault 6 at `where`. The
// result is the whole return register: on x64 a function that returns a 32-bit
// value (BOOL, int) leaves the upper half undefined, so such a result is read as
// uint32_t.
uintptr_t CallBoundFunction(void* address, const uintptr_t* args, uint32_t count,
                            FaultLocation where);

template <typename T>
uintptr_t SystemArgument(T value) {
  if constexpr (std::is_null_pointer_v<T>)
    return 0;
  else if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<uintptr_t>(value);
  else
    return static_cast<uintptr_t>(value);
}

// The most arguments a system function of the table takes.
inline constexpr size_t kMaxSystemArguments = 7;

template <typename... A>
uintptr_t CallSystemFunction(int index, FaultLocation where, A... args) {
  static_assert(sizeof...(A) <= kMaxSystemArguments, "more arguments than a call can pass");
  const uintptr_t values[sizeof...(A) + 1] = {SystemArgument(args)..., 0};
  return CallBoundFunction(BindSystemFunction(index), values, sizeof...(A), where);
}
