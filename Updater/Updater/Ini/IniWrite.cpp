// CIni: writing values as text, numbers, flags, reals, characters and hex bytes.
#include "Ini.h"
#include "IniShared.h"

#include <cstdio>
#include <string>

using IniShared::kShortValueSize;

namespace {

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

} // namespace

bool CIni::WriteValue(const char* section, const char* key, const char* value) const
{
    if (section == nullptr || key == nullptr || !HasPath()) {
        return false;
    }
    return WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

// ---- Strings ----

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

// ---- Integers, flags, reals and characters ----

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

bool CIni::WriteChar(const char* section, const char* key, char c) const
{
    char text[2] = {c, '\0'};
    return WriteValue(section, key, text);
}

// ---- Byte blocks as hex text ----

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
