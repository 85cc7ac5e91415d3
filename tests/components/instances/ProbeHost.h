// The loading side of the probe component: the counter this test program
// exports to it, and what the tests read from it.
#pragma once

#include "ProbeProtocol.h"

#include <ostream>
#include <string>
#include <vector>

// Lets failure messages name the events.
void PrintTo(ProbeEvent event, std::ostream* out);

extern "C" __declspec(dllexport) ProbeCounter* __cdecl ProbeHostCounter();

namespace probe_host {

void ResetCounter();
const ProbeCounter& Counter();
std::vector<ProbeEvent> Events();
// Whether a file of that name is loaded in this process now.
bool IsLoaded(const std::wstring& fileName);

}  // namespace probe_host
