#include "FileWriter.h"

#include <windows.h>

namespace {

// As the run time shares a file it opens for writing: readers and writers may come alongside.
constexpr DWORD kShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
// One WriteFile takes a 32-bit count.
constexpr size_t kMaxWritePiece = 0x40000000;

bool MarkForDeletion(HANDLE file, bool deleted)
{
    FILE_DISPOSITION_INFO disposition = {static_cast<BOOLEAN>(deleted ? TRUE : FALSE)};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

} // namespace

FileWriter::FileWriter() : file(nullptr), bytesWritten(0)
{
}

FileWriter::~FileWriter()
{
    Close();
}

bool FileWriter::Create(const std::string& name, unsigned long access)
{
    Close();
    HANDLE created = CreateFileA(name.c_str(), access, kShareMode, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    file = created != INVALID_HANDLE_VALUE ? created : nullptr;
    return IsOpen();
}

bool FileWriter::Open(const std::string& name)
{
    return Create(name, GENERIC_WRITE);
}

bool FileWriter::OpenProvisional(const std::string& name)
{
    if (!Create(name, GENERIC_WRITE | DELETE)) {
        return false;
    }
    if (!MarkForDeletion(file, true)) {
        Close();
        DeleteFileA(name.c_str());
        return false;
    }
    return true;
}

bool FileWriter::Keep()
{
    return IsOpen() && MarkForDeletion(file, false);
}

bool FileWriter::Close()
{
    if (!IsOpen()) {
        return true;
    }
    bool closed = CloseHandle(file) != FALSE;
    file = nullptr;
    return closed;
}

int64_t FileWriter::Write(const void* data, size_t length)
{
    if (!IsOpen()) {
        return 0;
    }
    const char* bytes = static_cast<const char*>(data);
    int64_t written = 0;
    while (length > 0) {
        DWORD piece = static_cast<DWORD>(length < kMaxWritePiece ? length : kMaxWritePiece);
        DWORD done = 0;
        if (!WriteFile(file, bytes, piece, &done, NULL) || done == 0) {
            break;
        }
        bytes += done;
        length -= done;
        written += done;
    }
    bytesWritten += written;
    return written;
}

int64_t FileWriter::WriteBytes(const std::vector<char>& bytes)
{
    if (bytes.empty()) {
        return 0;
    }
    return Write(bytes.data(), bytes.size());
}

int64_t FileWriter::WriteString(const std::string& text, bool newline)
{
    int64_t written = 0;
    if (!text.empty()) {
        written += Write(text.data(), text.size());
    }
    if (newline) {
        written += Write("\n", 1);
    }
    return written;
}
