#pragma once
// Limits the DLL search path of the process to the system folder, so that a DLL planted
// beside the setup file (a Downloads folder, say) is never loaded in place of the system's.

// Call first thing in the entry point. Uses SetDefaultDllDirectories, looked up at run time;
// where the system lacks it (Windows 7 before its 2011 loader update), it at least takes the
// current folder out of the search. Libraries imported by the program are loaded before this
// runs: only the platform's known DLLs may be imported (see SystemLibrary.h).
void RestrictDllSearchPath();

// True once RestrictDllSearchPath has limited the search to the system folder.
bool IsDllSearchPathRestricted();
