// The fault report's texts, byte for byte, built without <windows.h>.
#include <cstdio>

#include "base/fault.h"

const char* FaultCodeMessage(int code) {
  switch (code) {
    case kFaultIndexAbove: return "数组成员引用下标超出定义范围";
    case kFaultIndexBelow: return "数组成员引用下标必须大于等于1";
    case kFaultStack: return "调用DLL命令后发现堆栈错误";
    default: return nullptr;
  }
}

bool IsWindowIdentifier(int32_t value) { return (static_cast<uint32_t>(value) >> 24 & 0xF) == 2; }

std::string AllocationFaultMessage(uint64_t size) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "分配 %llu 字节内存失败!", static_cast<unsigned long long>(size));
  return buf;
}

void FormatAllocationFaultReport(char* out, size_t capacity, uint64_t size) {
  std::snprintf(out, capacity,
                "运行时出错!\r\n\r\n错误信息：分配 %llu 字节内存失败!\r\n\r\n0, 0\r\n",
                static_cast<unsigned long long>(size));
}

std::string BuildFaultReport(const char* message, int code, FaultLocation where,
                             const FaultTags& tags) {
  char numbers[40];
  std::snprintf(numbers, sizeof numbers, "\r\n%d, %d", where.first, where.second);
  std::string location = numbers;
  if (IsWindowIdentifier(where.first)) {
    if (!tags.windowKnown) {
      location += "\r\n未找到所指定的窗口";
    } else {
      location += "\r\n\"" + tags.windowTag + "\"";
      if (tags.controlKnown)
        location += "\r\n\"" + tags.controlTag + "\"";
      else
        location += "\r\n未找到所指定的窗口组件";
    }
  }
  location += "\r\n";

  std::string report = "运行时出错!\r\n";
  if (code != 0) report += "\r\n错误代码：" + std::to_string(code) + "\r\n";
  if (message && *message) report += std::string("\r\n错误信息：") + message + "\r\n";
  return report + location;
}
