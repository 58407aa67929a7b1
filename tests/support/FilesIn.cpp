#include "tests/support/FilesIn.h"

#include <windows.h>

#include "app/handles/ScopedHandle.h"

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const FileSearch search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileA(search.get(), &found));
    return names;
}
