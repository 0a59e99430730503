// The uninstaller's own files, compiled into this test program: the uninstaller is a
// program of its own in the payload, not a library that tests could link. The planner and
// the runner it uses come with the journal library.
#include "payload/uninstall/Invocation.cpp"
#include "payload/uninstall/UndoReport.cpp"
