#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A binary output file that counts every byte written since construction.
//
// A file opened provisionally is marked for deletion from the moment it exists: the system
// removes it when its handle closes, and it closes every handle of a process that ends, however
// it ends. Only Keep makes it a file that outlives its writer. A half-written download thus
// cannot outlive a program that is closed, killed or fails in the middle of it, which a clean-up
// on any of our own threads could not promise.
class FileWriter
{
public:
    FileWriter();
    ~FileWriter();

    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Creates or empties the file. A file still open is closed first, so none is left behind.
    bool Open(const std::string& name);
    // As Open, but the file goes with its handle until Keep. False, with no file left, where the
    // file cannot be made or marked: a file that might stay half written is not begun.
    bool OpenProvisional(const std::string& name);
    // Makes a provisional file permanent, as it is now. False when the file is closed or stays
    // marked for deletion.
    bool Keep();
    // False when the file was not closed cleanly. A provisional file not kept is gone after it.
    bool Close();
    bool IsOpen() const { return file != nullptr; }

    int64_t Write(const void* data, size_t length);
    int64_t WriteBytes(const std::vector<char>& bytes);
    int64_t WriteString(const std::string& text, bool newline);
    int64_t GetBytesWritten() const { return bytesWritten; }

private:
    bool Create(const std::string& name, unsigned long access);

    // The file's Win32 handle, null when closed; kept as void* so that users of this header need
    // not include <windows.h> ahead of Winsock.
    void* file;
    int64_t bytesWritten;
};
