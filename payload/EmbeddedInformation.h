#pragma once
#include "app/ResultCode.h"

#include <string>

// Copies the information block near the end of the setup file, when there is one, into
// "info.xml" in the working folder (which is made here when it does not exist yet). Always 0:
// nothing here fails the run.
ResultCode WriteEmbeddedInformation();

// Reads the last 4116 bytes but one of the setup file and, when they hold a block, writes its
// data byte for byte to "info.xml" in the working folder, which `outputPath` names in the log,
// replacing an existing file by a new one. Always 0; every failure (the setup file not
// readable, no block, the output not creatable or short) is only logged.
ResultCode ScanForEmbeddedInformation(const std::wstring& outputPath);
