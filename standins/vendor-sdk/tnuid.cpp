// Stand-in for the SDK's attribution user-id library, "TNUID.dll": GetTNUID writes a stable text of
// 32 upper-case hex digits derived from the machine, cut to the buffer's capacity.
#include <windows.h>

#include <cstdint>
#include <string>

extern "C" __cdecl int GetTNUID(char* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 1;
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ::GetComputerNameW(name, &size);
  uint64_t a = 1469598103934665603ULL, b = 0x6A09E667F3BCC908ULL;
  for (DWORD i = 0; i < size; ++i) {
    a = (a ^ name[i]) * 1099511628211ULL;
    b = (b ^ (name[i] + 0x11)) * 1099511628211ULL;
  }
  char text[40];
  wsprintfA(text, "%08X%08X%08X%08X", static_cast<unsigned>(a >> 32), static_cast<unsigned>(a),
            static_cast<unsigned>(b >> 32), static_cast<unsigned>(b));
  int n = lstrlenA(text) < capacity - 1 ? lstrlenA(text) : capacity - 1;
  for (int i = 0; i < n; ++i) buffer[i] = text[i];
  buffer[n] = 0;
  return 0;
}
