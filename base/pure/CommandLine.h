#pragma once
// The program part of a command line, written and read as the system reads it. Free of
// <windows.h>.
#include <string>

// `path` in double quotes, as the program part of a command line: unquoted, a path with
// blanks would let the system run a planted shorter one ("D:\Program.exe").
std::wstring QuoteCommandPath(const std::wstring& path);

// The program part of a command line: inside the double quotes that open the line, or up
// to the first blank or tab.
std::wstring CommandProgram(const std::wstring& commandLine);

// True for "X:\..." on a drive letter: a program path that the system takes as it stands.
// A bare name ("cmd") is looked for in the starting program's folder and the current
// folder first, where anything may have been downloaded beside an elevated setup.
bool IsFullProgramPath(const std::wstring& program);
