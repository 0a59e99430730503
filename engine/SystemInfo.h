#pragma once
// Facts about this program and the machine that the uninstall entry records.
#include <string>

// The setup program's own file version ("a.b.c.d" from its VERSIONINFO resource).
// Returns false, with `version` empty, when the program carries no readable version block.
bool GetSetupVersion(std::wstring& version);

// "64" on a 64-bit Windows (x64, ARM64 or Itanium), "32" otherwise: the system's own
// architecture, which an x64 program on ARM64 is told is x64.
std::string GetSystemBitness();

// The uninstall entry's key under HKEY_LOCAL_MACHINE on this system: under WOW6432Node on
// a 64-bit Windows (base/pure/ProductNames.h). Registration writes it; the next setup reads
// the earlier installation's version from it.
const wchar_t* UninstallKeyPath();
