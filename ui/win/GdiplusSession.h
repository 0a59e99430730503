#pragma once
// GDI+ is started once per process, on first use, and never shut down: images decoded
// with it may outlive any window, and the process ends with the last window anyway.
[[nodiscard]] bool EnsureGdiplus();
