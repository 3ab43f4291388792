#pragma once
// <windows.h> for the backend. The platform interface reuses some Windows function names that
// windows.h defines as macros (DeleteFile -> DeleteFileA); they are undone here so that our own
// functions keep their names, and the backend calls the ANSI functions by their full names.
#include <windows.h>

#undef CopyFile
#undef CreateDirectory
#undef DeleteFile
#undef GetCurrentDirectory
#undef GetDiskFreeSpace
#undef GetFileAttributes
#undef GetModuleFileName
#undef GetShortPathName
#undef GetSystemDirectory
#undef GetTempFileName
#undef GetTempPath
#undef GetWindowsDirectory
#undef MoveFile
#undef RemoveDirectory
#undef SetCurrentDirectory
#undef SetFileAttributes
