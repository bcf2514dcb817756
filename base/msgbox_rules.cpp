// The message box's style and result rules and the text a value shows in it.
#include "base/msgbox.h"

// OR-ed, so a style that already asks for task-modal keeps every other flag.
uint32_t MessageBoxStyle(uint32_t flags) { return flags | 2 * (~flags & 0x1000u); }

int MessageBoxResultNumber(int id) { return id >= 1 && id <= 7 ? id - 1 : 0; }

Text MessageBoxText(const Value& value) {
  switch (value.kind) {
    case ValueKind::Byte:
    case ValueKind::Short:
    case ValueKind::Int:
    case ValueKind::Int64:
    case ValueKind::Float:
    case ValueKind::Double:
    case ValueKind::Bool:
    case ValueKind::DateTime:
    case ValueKind::Text: return ToText(value);
    case ValueKind::None:
    case ValueKind::Bytes: return Text();
  }
  return Text();
}
