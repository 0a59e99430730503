// The wmain of regfx_after_install, linked without resources: no string table (the
// registration falls back to its default names) and no version block.
#include "regfx_after_install.cpp"
