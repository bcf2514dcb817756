// The test prefix runs Chinese Windows: the Wine run must use ANSI code page 936.
#include <windows.h>

#include <cstdio>

int main() {
  UINT acp = GetACP();
  std::printf("ANSI code page %u\n", acp);
  return acp == 936 ? 0 : 1;
}
