// A library file that is no component: it has exports, but no
// "DllGetClassObject".
#include <windows.h>

extern "C" __declspec(dllexport) int __cdecl NoClassObjectVersion()
{
    return 1;
}
