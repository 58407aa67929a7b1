// CIni: values as lists, whole sections and keys, and the text utilities behind them.
#include "Ini.h"
#include "IniShared.h"

#include <assert.h>
#include <mbstring.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using IniShared::kGrowthStep;
using IniShared::U;

namespace {

// HasKey reads with this default: a value that comes back as it was missing.
const char kMissingKeyMarker[] = "{63788286-AE30-4D6B-95DF-3B451C1C79F9}";

const char kTrimCharacters[] = "\t\n\r ";

bool NamesEqual(const char* a, const char* b)
{
    return _mbsicmp(U(a), U(b)) == 0;
}

// Appends one entry to a double-NUL list of size bytes at out, keeping room for the closing NUL.
// Returns false when the entry does not fit whole.
bool AppendEntry(char* out, unsigned size, unsigned& count, const char* entry)
{
    size_t length = strlen(entry);
    if (count + length + 2 > size) {
        return false;
    }
    memcpy(out + count, entry, length + 1);
    count += static_cast<unsigned>(length + 1);
    return true;
}

} // namespace

char* CIni::ReadSectionBlock(const char* section, DWORD* count) const
{
    *count = 0;
    if (!HasPath()) {
        char* empty = new char[2];
        empty[0] = empty[1] = '\0';
        return empty;
    }
    for (DWORD size = kGrowthStep;; size += kGrowthStep) {
        char* buffer = new char[size + 2];
        DWORD read = section != nullptr ? GetPrivateProfileSectionA(section, buffer, size, path)
                                        : GetPrivateProfileSectionNamesA(buffer, size, path);
        if (read + 2 < size) {
            buffer[read] = buffer[read + 1] = '\0';
            *count = read;
            return buffer;
        }
        delete[] buffer;
    }
}

// ---- Lists ----

int CIni::ReadList(const char* section, const char* key, char* out, int size, const char* delimiter,
                   bool trim) const
{
    if (out != nullptr && size > 0) {
        out[0] = '\0';
    }
    if (section == nullptr || key == nullptr) {
        return 0;
    }
    char* value = ReadValue(section, key, "");
    size_t length = strlen(value);
    int count = 0;
    if (length > 0) {
        if (out != nullptr) {
            count = static_cast<int>(
                SplitToList(value, out, size > 0 ? static_cast<unsigned>(size) : 0, delimiter, trim));
        } else {
            unsigned scratchSize = static_cast<unsigned>(length + 2);
            char* scratch = new char[scratchSize];
            count = static_cast<int>(SplitToList(value, scratch, scratchSize, delimiter, trim));
            delete[] scratch;
        }
    }
    delete[] value;
    return count;
}

// ---- Sections and keys ----

int CIni::ReadSectionLines(const char* section, char* out, int size) const
{
    if (out != nullptr && size > 0) {
        out[0] = '\0';
        if (size > 1) {
            out[1] = '\0';
        }
    }
    if (section == nullptr) {
        return 0;
    }
    if (out != nullptr) {
        if (size <= 0 || !HasPath()) {
            return 0;
        }
        return static_cast<int>(GetPrivateProfileSectionA(section, out, static_cast<DWORD>(size), path));
    }
    DWORD count = 0;
    delete[] ReadSectionBlock(section, &count);
    return static_cast<int>(count + 2);
}

int CIni::ReadKeyNames(const char* section, char* out, int size) const
{
    if (out != nullptr && size > 0) {
        out[0] = '\0';
    }
    if (section == nullptr) {
        return 0;
    }
    DWORD count = 0;
    delete[] ReadSectionBlock(section, &count);
    // The second read with room for the whole section and its closing NULs.
    DWORD bufferSize = count + 2;
    char* lines = new char[bufferSize + 2]();
    if (HasPath()) {
        GetPrivateProfileSectionA(section, lines, bufferSize, path);
    }

    KeyNameState state = {};
    if (out != nullptr && size > 0) {
        state.position = out;
        state.roomLeft = static_cast<unsigned>(size);
    }
    ForEachInList(lines, CollectKeyName, &state);
    if (state.position != nullptr) {
        *state.position = '\0';
    }
    delete[] lines;
    return state.count;
}

int CIni::ReadSectionNames(char* out, int size) const
{
    if (out != nullptr && size > 0) {
        out[0] = '\0';
        if (size > 1) {
            out[1] = '\0';
        }
    }
    if (out != nullptr) {
        if (size <= 0 || !HasPath()) {
            return 0;
        }
        return static_cast<int>(GetPrivateProfileSectionNamesA(out, static_cast<DWORD>(size), path));
    }
    DWORD count = 0;
    delete[] ReadSectionBlock(nullptr, &count);
    return static_cast<int>(count + 2);
}

bool CIni::RemoveSection(const char* section) const
{
    if (!HasPath()) {
        return false;
    }
    return WritePrivateProfileStringA(section, nullptr, "", path) != FALSE;
}

bool CIni::RemoveKey(const char* section, const char* key) const
{
    if (!HasPath()) {
        return false;
    }
    return WritePrivateProfileStringA(section, key, nullptr, path) != FALSE;
}

bool CIni::HasSection(const char* section) const
{
    if (section == nullptr) {
        return false;
    }
    DWORD count = 0;
    char* names = ReadSectionBlock(nullptr, &count);
    bool found = false;
    for (const char* name = names; *name != '\0'; name += strlen(name) + 1) {
        if (NamesEqual(name, section)) {
            found = true;
            break;
        }
    }
    delete[] names;
    return found;
}

bool CIni::HasKey(const char* section, const char* key) const
{
    if (section == nullptr || key == nullptr) {
        return false;
    }
    char* value = ReadValue(section, key, kMissingKeyMarker);
    bool present = _mbscmp(U(value), U(kMissingKeyMarker)) != 0;
    delete[] value;
    return present;
}

bool CIni::CopySection(const char* source, const char* target, bool failIfExists) const
{
    if (source == nullptr || target == nullptr || NamesEqual(source, target) || !HasSection(source)) {
        return false;
    }
    if (failIfExists && HasSection(target)) {
        return false;
    }
    RemoveSection(target);
    DWORD count = 0;
    delete[] ReadSectionBlock(source, &count);
    DWORD bufferSize = count + 2;
    char* lines = new char[bufferSize + 2]();
    GetPrivateProfileSectionA(source, lines, bufferSize, path);
    bool written = WritePrivateProfileSectionA(target, lines, path) != FALSE;
    delete[] lines;
    return written;
}

bool CIni::CopyKey(const char* sourceSection, const char* sourceKey, const char* targetSection,
                   const char* targetKey, bool failIfExists) const
{
    if (sourceSection == nullptr || sourceKey == nullptr || targetSection == nullptr || targetKey == nullptr) {
        return false;
    }
    if (NamesEqual(sourceSection, targetSection) && NamesEqual(sourceKey, targetKey)) {
        return false;
    }
    if (!HasKey(sourceSection, sourceKey) || (failIfExists && HasKey(targetSection, targetKey))) {
        return false;
    }
    char* value = ReadValue(sourceSection, sourceKey, "");
    bool written = WriteValue(targetSection, targetKey, value);
    delete[] value;
    return written;
}

bool CIni::RenameSection(const char* source, const char* target, bool failIfExists) const
{
    return CopySection(source, target, failIfExists) && RemoveSection(source);
}

bool CIni::RenameKey(const char* sourceSection, const char* sourceKey, const char* targetSection,
                     const char* targetKey, bool failIfExists) const
{
    return CopyKey(sourceSection, sourceKey, targetSection, targetKey, failIfExists) &&
           RemoveKey(sourceSection, sourceKey);
}

// ---- Text utilities ----

unsigned CIni::SplitToList(const char* text, char* out, unsigned size, const char* delimiter, bool trim)
{
    if (text == nullptr || out == nullptr || size == 0) {
        return 0;
    }
    out[0] = '\0';
    if (text[0] == '\0') {
        return 0;
    }
    if (delimiter == nullptr) {
        delimiter = ",";
    }
    size_t delimiterLength = strlen(delimiter);
    if (delimiterLength == 0) {
        size_t length = strlen(text);
        if (length > size - 1) {
            length = size - 1;
        }
        memcpy(out, text, length);
        out[length] = '\0';
        return static_cast<unsigned>(length);
    }

    unsigned count = 0;
    const char* start = text;
    for (;;) {
        const char* found = reinterpret_cast<const char*>(_mbsstr(U(start), U(delimiter)));
        const char* end = found != nullptr ? found : start + strlen(start);
        char* piece = CopySubstring(start, end);
        if (trim) {
            TrimInPlace(piece);
        }
        bool fits = piece[0] == '\0' || AppendEntry(out, size, count, piece);
        delete[] piece;
        if (!fits || found == nullptr) {
            break;
        }
        start = found + delimiterLength;
    }
    out[count] = '\0';
    return count;
}

bool CIni::ForEachInList(char* list, ListCallback callback, void* user)
{
    if (list == nullptr || callback == nullptr) {
        return false;
    }
    for (char* entry = list; *entry != '\0'; entry += strlen(entry) + 1) {
        if (!callback(entry, user)) {
            return false;
        }
    }
    return true;
}

bool CIni::NameDiffers(const char* lpString1, void* lpString2)
{
#ifndef NDEBUG
    if (lpString1 == NULL) {
        _assert("lpString1 != NULL", "Updater\\Updater\\Ini", 891);
    }
    if (lpString2 == NULL) {
        _assert("lpString2 != NULL", "Updater\\Updater\\Ini", 893);
    }
#endif
    if (lpString1 == NULL || lpString2 == NULL) {
        return true;
    }
    return !NamesEqual(lpString1, static_cast<const char*>(lpString2));
}

bool CIni::CollectKeyName(const char* line, void* user)
{
    if (line == nullptr || user == nullptr) {
        return false;
    }
    KeyNameState& state = *static_cast<KeyNameState*>(user);
    const char* equals = strchr(line, '=');
    if (equals == nullptr || equals == line || state.full) {
        return true;
    }
    char* name = CopySubstring(line, equals);
    TrimInPlace(name);
    size_t length = strlen(name);
    if (length > 0) {
        if (state.position == nullptr) {
            state.count += static_cast<int>(length + 1);
        } else if (length + 2 <= state.roomLeft) {
            memcpy(state.position, name, length + 1);
            state.position += length + 1;
            state.roomLeft -= static_cast<unsigned>(length + 1);
            state.count += static_cast<int>(length + 1);
        } else {
            state.full = true;
        }
    }
    delete[] name;
    return true;
}

void CIni::UIntToBinary(unsigned value, char* out)
{
    int length = 0;
    do {
        out[length++] = static_cast<char>('0' + (value & 1u));
        value >>= 1;
    } while (value != 0 && length < 64);
    out[length] = '\0';
    _mbsrev(U(out));
}

int CIni::NormaliseBase(int base)
{
    return base == 2 || base == 8 || base == 16 ? base : 10;
}

void CIni::IntToString(unsigned value, char* out, int base)
{
    switch (NormaliseBase(base)) {
    case 2:
        UIntToBinary(value, out);
        break;
    case 8:
        sprintf(out, "%o", value);
        break;
    case 16:
        sprintf(out, "%X", value);
        break;
    default:
        sprintf(out, "%d", static_cast<int>(value));
        break;
    }
}

bool CIni::StringToFlag(const char* text)
{
    if (text == nullptr || text[0] == '\0') {
        return false;
    }
    return NamesEqual(text, "true") || NamesEqual(text, "yes") || strtol(text, nullptr, 10) != 0;
}

bool CIni::TrimInPlace(char* text)
{
    if (text == nullptr) {
        return false;
    }
    size_t length = strlen(text);
    size_t end = length;
    while (end > 0 && strchr(kTrimCharacters, text[end - 1]) != nullptr) {
        --end;
    }
    size_t start = 0;
    while (start < end && strchr(kTrimCharacters, text[start]) != nullptr) {
        ++start;
    }
    if (start == 0 && end == length) {
        return false;
    }
    memmove(text, text + start, end - start);
    text[end - start] = '\0';
    return true;
}

char* CIni::CopySubstring(const char* start, const char* end)
{
    size_t length = static_cast<size_t>(end - start);
    char* copy = new char[length + 1];
    memcpy(copy, start, length);
    copy[length] = '\0';
    return copy;
}
