// The uninstaller's own files, compiled into this test program: the uninstaller is a
// program of its own in the payload, not a library that tests could link.
#include "payload/uninstall/Invocation.cpp"
#include "payload/uninstall/UndoPlan.cpp"
#include "payload/uninstall/UndoReport.cpp"
#include "payload/uninstall/UndoRun.cpp"
#include "payload/uninstall/UndoLeftovers.cpp"
