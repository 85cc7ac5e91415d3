// The one interface of the example component: counting the words of a UTF-8
// text. Shared by the component, which implements it, and the host, which
// creates the component's object straight from its file.
#pragma once

#include <windows.h>
#include <unknwn.h>

MIDL_INTERFACE("8872c4cf-8b49-46d5-96c3-8724d87f0521")
IWordCounter : public IUnknown {
    // S_OK with the count; E_INVALIDARG for a null or empty text, E_POINTER
    // for a null count.
    virtual HRESULT STDMETHODCALLTYPE CountWords(const char* utf8Text, long* count) = 0;
};
#ifdef __CRT_UUID_DECL
// MinGW-w64 learns an interface's id for __uuidof this way.
__CRT_UUID_DECL(IWordCounter, 0x8872c4cf, 0x8b49, 0x46d5, 0x96, 0xc3, 0x87, 0x24, 0xd8, 0x7f, 0x05, 0x21)
#endif

// The class of the component's word counter.
inline constexpr GUID kClsidWordCounter = {
    0x4b1e819d, 0x5ac2, 0x4a71, { 0xbd, 0x74, 0x6e, 0x26, 0xb0, 0x02, 0xe5, 0xe2 }
};
