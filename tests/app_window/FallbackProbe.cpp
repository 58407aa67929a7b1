// Stands in for a narrower build in the start-up tests: notes where and how it was started.
#include <windows.h>
#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    const char* name = module;
    for (const char* p = module; *p != '\0'; ++p) {
        if (*p == '\\') {
            name = p + 1;
        }
    }
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    char marker[MAX_PATH + 32];
    std::snprintf(marker, sizeof(marker), "%s.started", name);
    FILE* file = std::fopen(marker, "wb");
    if (file != nullptr) {
        std::fprintf(file, "%s\n%s\n[%s]\n", module, directory, commandLine);
        std::fclose(file);
    }
    return 0;
}
