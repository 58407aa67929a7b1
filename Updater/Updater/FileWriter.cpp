#include "FileWriter.h"

FileWriter::FileWriter() : file(nullptr), bytesWritten(0)
{
}

FileWriter::~FileWriter()
{
    Close();
}

bool FileWriter::Open(const std::string& name)
{
    Close();
    if (fopen_s(&file, name.c_str(), "wb") != 0) {
        file = nullptr;
    }
    return file != nullptr;
}

bool FileWriter::Close()
{
    if (file == nullptr) {
        return true;
    }
    bool closed = fclose(file) == 0;
    file = nullptr;
    return closed;
}

int64_t FileWriter::Write(const void* data, size_t length)
{
    if (file == nullptr) {
        return 0;
    }
    int64_t written = static_cast<int64_t>(fwrite(data, 1, length, file));
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
