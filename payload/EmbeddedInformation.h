#pragma once
#include "app/ResultCode.h"

// Copies the information block near the end of the setup file, when there is one, into
// "info.xml" in the working folder. Always 0: nothing here fails the run.
ResultCode WriteEmbeddedInformation();
