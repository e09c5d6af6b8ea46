#include "checks/MsiEngineCheck.h"

bool CheckMsiEngine()
{
    return true;  // stands in until the engine check lands
}
