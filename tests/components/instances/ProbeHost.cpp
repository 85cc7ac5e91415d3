#include "ProbeHost.h"

#include <algorithm>
#include <iterator>

extern "C" __declspec(dllexport) ProbeCounter* __cdecl ProbeHostCounter()
{
    static ProbeCounter counter {};
    return &counter;
}

void PrintTo(ProbeEvent event, std::ostream* out)
{
    static const char* const names[] = { "Loaded", "Unloaded", "FactoryAddRef", "FactoryRelease", "ObjectAddRef",
        "ObjectRelease", "ObjectLastRelease" };
    const auto index = static_cast<size_t>(event);
    *out << (index < std::size(names) ? names[index] : "?");
}

namespace probe_host {

void ResetCounter()
{
    *ProbeHostCounter() = ProbeCounter {};
}

const ProbeCounter& Counter()
{
    return *ProbeHostCounter();
}

std::vector<ProbeEvent> Events()
{
    const ProbeCounter& counter = Counter();
    const LONG count = std::min<LONG>(counter.eventCount, static_cast<LONG>(std::size(counter.events)));
    return { counter.events, counter.events + count };
}

bool IsLoaded(const std::wstring& fileName)
{
    return ::GetModuleHandleW(fileName.c_str()) != nullptr;
}

}  // namespace probe_host
