// A library file that is no component: it has exports, but no "DllGetClassObject".
extern "C" __declspec(dllexport) int __cdecl NoClassObjectVersion()
{
    return 1;
}
