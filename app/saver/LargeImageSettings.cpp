#include "app/saver/LargeImageSettings.h"

LargeImageSettings LargeImageSettingsInstance;

uint32_t ParseIterationLimit(const char* text, uint32_t current)
{
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    if (*text < '0' || *text > '9') {
        return current;
    }
    uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + static_cast<uint64_t>(*text - '0');
        if (value > UINT32_MAX) {
            return UINT32_MAX;
        }
    }
    return static_cast<uint32_t>(value);
}

int64_t ParseImageSide(const char* text)
{
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    if (*text < '0' || *text > '9') {
        return 0;
    }
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value < kImageSideCeiling) {
            value = value * 10 + (*text - '0');
        }
    }
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    if (*text != '\0') {
        return 0;
    }
    return value < kImageSideCeiling ? value : kImageSideCeiling;
}
