#pragma once
// The common-controls library, loaded at run time: it is not on the known-DLL list, so an
// import would be resolved at process start, before the DLL search path is restricted.
#include <windows.h>

// Registers the common-control window classes `classes` (ICC_* flags). With the search path
// restricted, the library is loaded by name, so that the manifest's side-by-side dependency
// selects version 6 from the system's assembly store; otherwise the system folder's copy is
// loaded by full path (classic look, but nothing beside the setup file is searched). False
// when the library or its call is missing or the call fails.
bool InitCommonControlsSystem(DWORD classes);
