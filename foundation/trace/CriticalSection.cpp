#include "foundation/trace/CriticalSection.h"

WinCriticalSection::WinCriticalSection() noexcept
{
    ::InitializeCriticalSection(&mCriticalSection);
}

WinCriticalSection::~WinCriticalSection()
{
    ::DeleteCriticalSection(&mCriticalSection);
}

void WinCriticalSection::Enter()
{
    ::EnterCriticalSection(&mCriticalSection);
}

void WinCriticalSection::Leave()
{
    ::LeaveCriticalSection(&mCriticalSection);
}

TalvaneAutoCriticalSection::TalvaneAutoCriticalSection(BaseCriticalSection* lock) : mLock(lock)
{
    if (mLock != nullptr) {
        mLock->Enter();
    }
}

TalvaneAutoCriticalSection::~TalvaneAutoCriticalSection()
{
    if (mLock != nullptr) {
        mLock->Leave();
    }
}
