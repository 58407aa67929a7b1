#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// A stream being written to a file, every write checked. The picture and co-ordinates writers
// write through it, so that a full disk or a removed drive is seen at the write that failed
// instead of leaving a short file that looks saved.
class OutputFile {
public:
    OutputFile() = default;
    explicit OutputFile(FILE* file) : file_(file) {}

    // Writes what it can; returns the bytes written. Once a write has failed, every later one
    // writes nothing.
    size_t Write(const void* data, size_t bytes);
    bool Seek(int64_t offset);  // from the start of the file, 64-bit
    int64_t Tell();
    bool Failed() const { return failed_; }

private:
    friend class ReplacingFile;
    FILE* file_ = nullptr;
    bool failed_ = false;
};

// A file saved over its target only when it is whole: the bytes go to a fresh file in the
// target's folder (same drive, so the replacement is a rename), and Commit puts it in the
// target's place once it is written, flushed and closed without error. Until then the target
// is left exactly as it was, and a save that fails removes its temporary file.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(ReplacingFile&& other) noexcept;
    ReplacingFile& operator=(ReplacingFile&& other) noexcept;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False when no file can be made for `target`: its folder does not exist or cannot be
    // written, or the target is a folder or read-only. Nothing is changed then.
    bool Open(const char* target);
    bool IsOpen() const { return out_.file_ != nullptr; }
    OutputFile& Out() { return out_; }
    // Closes the new file and moves it over the target. False, with the target untouched and
    // the new file removed, when any write, the flush, the close or the move failed.
    bool Commit();
    // Closes and removes the new file; the target stays as it was.
    void Discard();

private:
    OutputFile out_;
    std::string target_;
    std::string temporary_;
};

// Test seam for the full disk: the bytes every OutputFile together may still write before
// writes fail as on a full disk (the write that crosses the limit writes what fits). Negative
// means no limit, which is how the program runs.
void LimitOutputBytesForTest(int64_t bytes);
