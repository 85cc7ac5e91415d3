#include "foundation/trace/TlsData.h"

#include "foundation/errors/TalvaneException.h"

namespace tls_detail {

void ThrowWin32(DWORD code)
{
    throw SystemException::Win32(code);
}

}  // namespace tls_detail
