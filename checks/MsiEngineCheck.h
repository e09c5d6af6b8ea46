#pragma once
// True when the Windows Installer engine in the system folder is version 2 or later.
bool CheckMsiEngine();
