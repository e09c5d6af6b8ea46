#include "framework/DllSearchPath.h"

#include <windows.h>

void RestrictDllSearchPath()
{
    // Placeholder until the planting guard lands: nothing is restricted yet.
}
