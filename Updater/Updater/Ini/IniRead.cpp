// CIni: the path, and reading values as text, numbers, flags, reals, characters and hex bytes.
#include "Ini.h"
#include "IniShared.h"

#include <mbstring.h>

#include <cstdlib>
#include <cstring>

using IniShared::kGrowthStep;
using IniShared::kShortValueSize;
using IniShared::U;

namespace {

char* CopyText(const char* text)
{
    size_t length = strlen(text);
    char* copy = new char[length + 1];
    memcpy(copy, text, length + 1);
    return copy;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
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

// ---- Strings ----

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

bool CIni::ReadFlag(const char* section, const char* key) const
{
    char text[65];
    ReadShortValue(section, key, text);
    return StringToFlag(text);
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

char CIni::ReadChar(const char* section, const char* key, char defaultValue) const
{
    char* value = ReadValue(section, key, "");
    char c = value[0] != '\0' ? value[0] : defaultValue;
    delete[] value;
    return c;
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
