#pragma once
// Limits the DLL search path of the process to the system folder, so that a DLL planted
// beside the setup file is never loaded in place of the system's. Looked up at run time:
// systems without the call keep their default search order.
void RestrictDllSearchPath();
