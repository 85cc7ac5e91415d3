// The library's own message templates. Negative ids keep them apart from the
// items of embedding programs; a language file translates them by id.
#pragma once

#include "foundation/text/TalvaneText.h"

extern const TalvaneText gErrMemoryAllocation;  // -1
extern const TalvaneText gErrInternalSoftware;  // -2: %0 file, %1 line
extern const TalvaneText gErrRuntime;  // -3
extern const TalvaneText gErrUnknown;  // -4
extern const TalvaneText gErrOperatingSystem;  // -11
extern const TalvaneText gErrWin32;  // -12: %0 code, %1 description
extern const TalvaneText gErrHresult;  // -14
extern const TalvaneText gErrMmresult;  // -15
