#include "ProgramFolder.h"

#include <windows.h>

namespace {

// The module path buffer of the system call; a longer path arrives cut.
constexpr DWORD kModulePathSize = 1000;

} // namespace

std::string ModulePath()
{
    char buffer[kModulePathSize] = {};
    DWORD length = GetModuleFileNameA(NULL, buffer, kModulePathSize);
    if (length >= kModulePathSize) {
        length = kModulePathSize - 1;
    }
    return std::string(buffer, length);
}

std::string FolderOfPath(const std::string& path)
{
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string ProgramFolder()
{
    return FolderOfPath(ModulePath());
}
