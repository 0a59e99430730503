#pragma once
#include <windows.h>
#include "engine/Extraction.h"

// The payload resource ("BIN" 227) of the process's own module, in place. A resource
// that is missing, or found but not loadable, throws string 137 ("{file}" = the full
// path of `instance`'s executable) as a CUIString.
PayloadBytes LoadOwnPayload(HINSTANCE instance);
