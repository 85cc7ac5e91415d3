// Resource ids of Probedeck.exe.
#pragma once

#define IDI_PROBEDECK 100
