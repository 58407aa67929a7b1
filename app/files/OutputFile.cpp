#include "app/files/OutputFile.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "Updater/Updater/ProgramFolder.h"

namespace {

std::atomic<int64_t> OutputBytesLeft{-1};

// Of `bytes`, how many the simulated disk still takes; all of them without a limit.
size_t TakeFromLimit(size_t bytes)
{
    int64_t left = OutputBytesLeft.load();
    for (;;) {
        if (left < 0) {
            return bytes;
        }
        const int64_t taken = static_cast<int64_t>(bytes) < left ? static_cast<int64_t>(bytes) : left;
        if (OutputBytesLeft.compare_exchange_weak(left, left - taken)) {
            return static_cast<size_t>(taken);
        }
    }
}

constexpr char kTemporaryPrefix[] = "zsv";

}  // namespace

void LimitOutputBytesForTest(int64_t bytes)
{
    OutputBytesLeft = bytes;
}

size_t OutputFile::Write(const void* data, size_t bytes)
{
    if (failed_ || file_ == nullptr) {
        failed_ = true;
        return 0;
    }
    if (bytes == 0) {
        return 0;
    }
    const size_t allowed = TakeFromLimit(bytes);
    const size_t written = allowed > 0 ? fwrite(data, 1, allowed, file_) : 0;
    if (written != bytes) {
        if (allowed != bytes) {
            errno = ENOSPC;
        }
        failed_ = true;
    }
    return written;
}

bool OutputFile::Seek(int64_t offset)
{
    if (failed_ || file_ == nullptr || _fseeki64(file_, offset, SEEK_SET) != 0) {
        failed_ = true;
        return false;
    }
    return true;
}

int64_t OutputFile::Tell()
{
    return file_ != nullptr ? _ftelli64(file_) : -1;
}

ReplacingFile::~ReplacingFile()
{
    Discard();
}

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
{
    *this = std::move(other);
}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept
{
    if (this != &other) {
        Discard();
        out_ = other.out_;
        target_ = std::move(other.target_);
        temporary_ = std::move(other.temporary_);
        other.out_ = OutputFile();
        other.temporary_.clear();
    }
    return *this;
}

bool ReplacingFile::Open(const char* target)
{
    Discard();
    // A folder or a read-only file cannot be replaced: the rename at the end would refuse
    // it, but only after the whole picture had been written.
    const DWORD attributes = GetFileAttributesA(target);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false;
    }
    // Beside the target, so that the replacement is a rename; a bare name lies in the current
    // folder.
    const std::string folder = FolderOfPath(target);
    char temporary[MAX_PATH];
    if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), kTemporaryPrefix, 0, temporary) == 0) {
        return false;
    }
    FILE* file = fopen(temporary, "wb");
    if (file == nullptr) {
        DeleteFileA(temporary);
        return false;
    }
    out_ = OutputFile(file);
    target_ = target;
    temporary_ = temporary;
    return true;
}

bool ReplacingFile::Commit()
{
    if (out_.file_ == nullptr) {
        return false;
    }
    FILE* file = out_.file_;
    bool whole = !out_.failed_;
    // The last buffered bytes reach the disk only here: a full disk shows at the flush.
    if (fflush(file) != 0 || ferror(file) != 0) {
        whole = false;
    }
    if (fclose(file) != 0) {
        whole = false;
    }
    out_ = OutputFile();
    if (whole && MoveFileExA(temporary_.c_str(), target_.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        temporary_.clear();
        return true;
    }
    DeleteFileA(temporary_.c_str());
    temporary_.clear();
    return false;
}

void ReplacingFile::Discard()
{
    if (out_.file_ != nullptr) {
        fclose(out_.file_);
        out_ = OutputFile();
    }
    if (!temporary_.empty()) {
        DeleteFileA(temporary_.c_str());
        temporary_.clear();
    }
}
