#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A binary output file that counts every byte written since construction.
class FileWriter
{
public:
    FileWriter();
    ~FileWriter();

    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Creates or empties the file. A file still open is closed first, so none is left behind.
    bool Open(const std::string& name);
    // False when the file could not be written out whole as it was closed.
    bool Close();
    bool IsOpen() const { return file != nullptr; }

    int64_t Write(const void* data, size_t length);
    int64_t WriteBytes(const std::vector<char>& bytes);
    int64_t WriteString(const std::string& text, bool newline);
    int64_t GetBytesWritten() const { return bytesWritten; }

private:
    FILE* file;
    int64_t bytesWritten;
};
