#include "Ini.h"

#include <assert.h>
#include <mbstring.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Value reads start at this size and grow by it while the value may have been cut.
constexpr DWORD kGrowthStep = 512;
// Numbers, flags and reals read only this many bytes of a value.
constexpr size_t kShortValueSize = 64;
// HasKey reads with this default: a value that comes back as it was missing.
const char kMissingKeyMarker[] = "{63788286-AE30-4D6B-95DF-3B451C1C79F9}";
const char kTrimCharacters[] = "\t\n\r ";

const unsigned char* U(const char* text)
{
    return reinterpret_cast<const unsigned char*>(text);
}

unsigned char* U(char* text)
{
    return reinterpret_cast<unsigned char*>(text);
}

bool NamesEqual(const char* a, const char* b)
{
    return _mbsicmp(U(a), U(b)) == 0;
}

char* CopyText(const char* text)
{
    size_t length = strlen(text);
    char* copy = new char[length + 1];
    memcpy(copy, text, length + 1);
    return copy;
}

std::string HexText(const uint8_t* data, unsigned length)
{
    std::string text;
    char pair[3];
    for (unsigned i = 0; i < length; ++i) {
        snprintf(pair, sizeof pair, "%02X", data[i]);
        text += pair;
    }
    return text;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
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

CIni::CIni() : path(nullptr)
{
}

CIni::CIni(const char* newPath) : path(newPath != nullptr ? _strdup(newPath) : nullptr)
{
}

CIni::~CIni()
{
    free(path);
}

void CIni::SetPath(const char* newPath)
{
    if (newPath != nullptr) {
        free(path);
        path = _strdup(newPath);
    } else if (path != nullptr) {
        path[0] = '\0';
    }
}

int CIni::GetPath(char* out, int size) const
{
    if (out == nullptr || size <= 0) {
        return 0;
    }
    out[0] = '\0';
    if (path == nullptr) {
        return 0;
    }
    size_t length = strlen(path);
    if (length > static_cast<size_t>(size) - 1) {
        length = static_cast<size_t>(size) - 1;
    }
    memcpy(out, path, length);
    out[length] = '\0';
    return static_cast<int>(length);
}

bool CIni::HasPath() const
{
    return path != nullptr && path[0] != '\0';
}

char* CIni::ReadValue(const char* section, const char* key, const char* defaultValue) const
{
    if (defaultValue == nullptr) {
        defaultValue = "";
    }
    if (section == nullptr || key == nullptr || !HasPath()) {
        return CopyText(defaultValue);
    }
    for (DWORD size = kGrowthStep;; size += kGrowthStep) {
        char* buffer = new char[size + 1];
        DWORD count = GetPrivateProfileStringA(section, key, defaultValue, buffer, size, path);
        if (count + 1 < size) {
            buffer[count] = '\0';
            return buffer;
        }
        delete[] buffer;
    }
}

void CIni::ReadShortValue(const char* section, const char* key, char (&out)[65]) const
{
    memset(out, 0, sizeof out);
    char* value = ReadValue(section, key, "");
    strncpy(out, value, kShortValueSize);
    delete[] value;
}

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

bool CIni::WriteValue(const char* section, const char* key, const char* value) const
{
    if (section == nullptr || key == nullptr || !HasPath()) {
        return false;
    }
    return WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

// ---- Strings and lists ----

int CIni::ReadString(const char* section, const char* key, char* out, int size) const
{
    if (out != nullptr && size > 0) {
        out[0] = '\0';
    }
    char* value = ReadValue(section, key, "");
    int length = static_cast<int>(strlen(value));
    if (out != nullptr) {
        if (size > 0) {
            _mbsnbcpy(U(out), U(value), static_cast<size_t>(size));
        }
        if (length > size) {
            length = size > 0 ? size : 0;
        }
    }
    delete[] value;
    return length;
}

char* CIni::ReadStringAlloc(const char* section, const char* key, const char* defaultValue) const
{
    return ReadValue(section, key, defaultValue);
}

bool CIni::WriteString(const char* section, const char* key, const char* value) const
{
    return WriteValue(section, key, value != nullptr ? value : "");
}

bool CIni::AppendString(const char* section, const char* key, const char* text) const
{
    if (text == nullptr || section == nullptr || key == nullptr) {
        return false;
    }
    char* old = ReadValue(section, key, "");
    std::string joined = std::string(old) + text;
    delete[] old;
    return WriteValue(section, key, joined.c_str());
}

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

// ---- Integers, flags, reals and characters ----

int CIni::ReadInt(const char* section, const char* key, int, int base) const
{
    return static_cast<int>(ReadUnsigned(section, key, 0, base));
}

unsigned CIni::ReadUnsigned(const char* section, const char* key, unsigned, int base) const
{
    char text[65];
    ReadShortValue(section, key, text);
    if (text[0] == '\0') {
        return 0;
    }
    return static_cast<unsigned>(strtoul(text, nullptr, NormaliseBase(base)));
}

bool CIni::WriteInt(const char* section, const char* key, int value, int base) const
{
    char text[65];
    IntToString(static_cast<unsigned>(value), text, base);
    return WriteValue(section, key, text);
}

bool CIni::WriteUnsigned(const char* section, const char* key, unsigned value, int base) const
{
    char text[65];
    base = NormaliseBase(base);
    if (base == 10) {
        snprintf(text, sizeof text, "%u", value);
    } else {
        IntToString(value, text, base);
    }
    return WriteValue(section, key, text);
}

bool CIni::AddToInt(const char* section, const char* key, int delta, int base) const
{
    unsigned sum = static_cast<unsigned>(ReadInt(section, key, 0, base)) + static_cast<unsigned>(delta);
    return WriteInt(section, key, static_cast<int>(sum), base);
}

bool CIni::AddToUnsigned(const char* section, const char* key, unsigned delta, int base) const
{
    return WriteUnsigned(section, key, ReadUnsigned(section, key, 0, base) + delta, base);
}

bool CIni::ReadFlag(const char* section, const char* key) const
{
    char text[65];
    ReadShortValue(section, key, text);
    return StringToFlag(text);
}

bool CIni::WriteFlag(const char* section, const char* key, bool value) const
{
    char text[8];
    snprintf(text, sizeof text, "%d", value ? 1 : 0);
    return WriteValue(section, key, text);
}

bool CIni::ToggleFlag(const char* section, const char* key) const
{
    return WriteFlag(section, key, !ReadFlag(section, key));
}

double CIni::ReadReal(const char* section, const char* key, double defaultValue) const
{
    char text[65];
    ReadShortValue(section, key, text);
    if (text[0] == '\0') {
        return defaultValue;
    }
    return strtod(text, nullptr);
}

bool CIni::WriteReal(const char* section, const char* key, double value, int precision) const
{
    char format[16];
    if (precision > 0) {
        snprintf(format, sizeof format, "%%.%df", precision);
    } else {
        snprintf(format, sizeof format, "%%f");
    }
    char text[kShortValueSize + 1];
    int length = snprintf(text, sizeof text, format, value);
    // A cut number would be a different number: refuse rather than write it.
    if (length < 0 || static_cast<size_t>(length) > kShortValueSize) {
        return false;
    }
    return WriteValue(section, key, text);
}

bool CIni::AddToReal(const char* section, const char* key, double delta, int precision) const
{
    return WriteReal(section, key, ReadReal(section, key, 0.0) + delta, precision);
}

char CIni::ReadChar(const char* section, const char* key, char defaultValue) const
{
    char* value = ReadValue(section, key, "");
    char c = value[0] != '\0' ? value[0] : defaultValue;
    delete[] value;
    return c;
}

bool CIni::WriteChar(const char* section, const char* key, char c) const
{
    char text[2] = {c, '\0'};
    return WriteValue(section, key, text);
}

// ---- Byte blocks as hex text ----

unsigned CIni::ReadHexBytes(const char* section, const char* key, void* out, unsigned size) const
{
    char* value = ReadValue(section, key, "");
    size_t length = strlen(value);
    unsigned count = static_cast<unsigned>(length / 2);
    if (count > 0) {
        for (size_t i = 0; i < length; ++i) {
            if (!IsHexDigit(value[i])) {
                count = 0;
                break;
            }
        }
    }
    if (out != nullptr) {
        if (count > size) {
            count = size;
        }
        uint8_t* bytes = static_cast<uint8_t*>(out);
        for (unsigned i = 0; i < count; ++i) {
            char pair[3] = {value[2 * i], value[2 * i + 1], '\0'};
            bytes[i] = static_cast<uint8_t>(strtoul(pair, nullptr, 16));
        }
    }
    delete[] value;
    return count;
}

bool CIni::WriteHexBytes(const char* section, const char* key, const uint8_t* data, unsigned length) const
{
    if (data == nullptr) {
        return false;
    }
    return WriteValue(section, key, HexText(data, length).c_str());
}

bool CIni::AppendHexBytes(const char* section, const char* key, const uint8_t* data, unsigned length) const
{
    if (data == nullptr) {
        return false;
    }
    return AppendString(section, key, HexText(data, length).c_str());
}

uint64_t CIni::ReadHex8Bytes(const char* section, const char* key, uint64_t defaultValue) const
{
    uint64_t value = 0;
    if (ReadHexBytes(section, key, &value, sizeof value) != sizeof value) {
        return defaultValue;
    }
    return value;
}

GUID CIni::ReadHex16Bytes(const char* section, const char* key, const GUID* defaultValue) const
{
    GUID value = {};
    if (ReadHexBytes(section, key, &value, sizeof value) != sizeof value) {
        GUID fallback = {};
        return defaultValue != nullptr ? *defaultValue : fallback;
    }
    return value;
}

bool CIni::WriteHex8Bytes(const char* section, const char* key, uint64_t value) const
{
    return WriteHexBytes(section, key, reinterpret_cast<const uint8_t*>(&value), sizeof value);
}

bool CIni::WriteHex16Bytes(const char* section, const char* key, const GUID* value) const
{
    if (value == nullptr) {
        return false;
    }
    return WriteHexBytes(section, key, reinterpret_cast<const uint8_t*>(value), sizeof *value);
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
