#pragma once

#include <cstdio>
#include <string>

// A file's bytes as they are on disk; "<no file>" where it cannot be opened.
inline std::string ReadWholeFile(const std::string& name)
{
    std::string text;
    FILE* f = fopen(name.c_str(), "rb");
    if (f == nullptr) {
        return "<no file>";
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
        text.append(buffer, n);
    }
    fclose(f);
    return text;
}
