#pragma once

#include <windows.h>

#include <cstdint>

// One INI file, read and written through the private-profile functions. Only the path is kept:
// every call sees the file as it is now. Section and key names compare without case.
//
// Lists are double-NUL lists: NUL-terminated entries closed by one more NUL. Their counts are the
// bytes of the entries with their NULs, without the closing one. A list never runs past the
// caller's buffer: an entry that does not fit whole is left out, and so is every entry after it.
//
// Without a path (null or empty) nothing reaches the system: reads see empty values, writes fail.
class CIni
{
public:
    using ListCallback = bool (*)(const char* entry, void* user);

    // What CollectKeyName keeps between the lines of a section.
    struct KeyNameState
    {
        char* position;      // next byte of the output; null to count only
        unsigned roomLeft;   // bytes left at position, the closing NUL's byte included
        int count;
        bool full;           // an entry did not fit; later ones are left out too
    };

    CIni();
    explicit CIni(const char* path);
    virtual ~CIni();

    CIni(const CIni&) = delete;
    CIni& operator=(const CIni&) = delete;

    void SetPath(const char* path);
    // Always NUL-terminated within size; a longer path is cut to size - 1 bytes.
    int GetPath(char* out, int size) const;

    int ReadString(const char* section, const char* key, char* out, int size) const;
    char* ReadStringAlloc(const char* section, const char* key, const char* defaultValue) const;
    bool WriteString(const char* section, const char* key, const char* value) const;
    bool AppendString(const char* section, const char* key, const char* text) const;
    int ReadList(const char* section, const char* key, char* out, int size, const char* delimiter,
                 bool trim) const;

    // The third argument of ReadInt and ReadUnsigned has no effect: an empty value reads as 0,
    // which AddToInt and AddToUnsigned count on.
    int ReadInt(const char* section, const char* key, int unused, int base) const;
    unsigned ReadUnsigned(const char* section, const char* key, unsigned unused, int base) const;
    bool WriteInt(const char* section, const char* key, int value, int base) const;
    bool WriteUnsigned(const char* section, const char* key, unsigned value, int base) const;
    bool AddToInt(const char* section, const char* key, int delta, int base) const;
    bool AddToUnsigned(const char* section, const char* key, unsigned delta, int base) const;
    bool ReadFlag(const char* section, const char* key) const;
    bool WriteFlag(const char* section, const char* key, bool value) const;
    bool ToggleFlag(const char* section, const char* key) const;
    double ReadReal(const char* section, const char* key, double defaultValue) const;
    // Fails, writing nothing, when the text would not fit 64 characters.
    bool WriteReal(const char* section, const char* key, double value, int precision) const;
    bool AddToReal(const char* section, const char* key, double delta, int precision) const;
    char ReadChar(const char* section, const char* key, char defaultValue) const;
    bool WriteChar(const char* section, const char* key, char c) const;

    unsigned ReadHexBytes(const char* section, const char* key, void* out, unsigned size) const;
    bool WriteHexBytes(const char* section, const char* key, const uint8_t* data, unsigned length) const;
    bool AppendHexBytes(const char* section, const char* key, const uint8_t* data, unsigned length) const;
    uint64_t ReadHex8Bytes(const char* section, const char* key, uint64_t defaultValue) const;
    // A null default stands for sixteen zero bytes.
    GUID ReadHex16Bytes(const char* section, const char* key, const GUID* defaultValue) const;
    bool WriteHex8Bytes(const char* section, const char* key, uint64_t value) const;
    bool WriteHex16Bytes(const char* section, const char* key, const GUID* value) const;

    int ReadSectionLines(const char* section, char* out, int size) const;
    int ReadKeyNames(const char* section, char* out, int size) const;
    int ReadSectionNames(char* out, int size) const;
    bool RemoveSection(const char* section) const;
    bool RemoveKey(const char* section, const char* key) const;
    bool HasSection(const char* section) const;
    bool HasKey(const char* section, const char* key) const;
    bool CopySection(const char* source, const char* target, bool failIfExists) const;
    bool CopyKey(const char* sourceSection, const char* sourceKey, const char* targetSection,
                 const char* targetKey, bool failIfExists) const;
    bool RenameSection(const char* source, const char* target, bool failIfExists) const;
    bool RenameKey(const char* sourceSection, const char* sourceKey, const char* targetSection,
                   const char* targetKey, bool failIfExists) const;

    static unsigned SplitToList(const char* text, char* out, unsigned size, const char* delimiter,
                                bool trim);
    static bool ForEachInList(char* list, ListCallback callback, void* user);
    static bool NameDiffers(const char* lpString1, void* lpString2);
    static bool CollectKeyName(const char* line, void* state);
    static void UIntToBinary(unsigned value, char* out);
    static int NormaliseBase(int base);
    static void IntToString(unsigned value, char* out, int base);
    static bool StringToFlag(const char* text);
    static bool TrimInPlace(char* text);
    static char* CopySubstring(const char* start, const char* end);

private:
    bool HasPath() const;
    // The value with the buffer growth: never cut. new[]; the caller frees it with delete[].
    char* ReadValue(const char* section, const char* key, const char* defaultValue) const;
    // The first 64 bytes of the value, NUL-terminated.
    void ReadShortValue(const char* section, const char* key, char (&out)[65]) const;
    // A whole section (section non-null) or the section names (section null), with the growth;
    // *count receives the system call's count. new[].
    char* ReadSectionBlock(const char* section, DWORD* count) const;
    bool WriteValue(const char* section, const char* key, const char* value) const;

    char* path;
};
