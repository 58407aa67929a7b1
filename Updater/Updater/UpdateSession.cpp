#include "UpdateSession.h"

std::string OriginalCommandLine;
std::string CurrentVersion;
HWND UpdateMainWindow = NULL;
