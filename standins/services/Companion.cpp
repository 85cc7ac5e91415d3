// The companion library of the services component. The console only loads it
// beside the component and keeps it loaded; it offers a version query so a
// developer can see which build is in place.
#include <windows.h>

#include <cstdint>

extern "C" __declspec(dllexport) uint32_t __cdecl bcsl_GetVersion()
{
    return 0x00010000;  // 1.0
}
