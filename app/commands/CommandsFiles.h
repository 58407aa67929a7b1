#pragma once

#include <cstddef>

#include "app/dialogs/ErrorBox.h"

class ZorbGUI;

// Told when a file could be created but not written whole: kWriteErrorText in an error box
// owned by the window.
void ShowWriteError(const ZorbGUI& gui);

// The halves of ZorbGUI::SaveImage and ZorbGUI::SaveCycleRange after their file dialogs, for a
// path already chosen; `bitmap` picks BMP over JPEG (the "Bitmap Files" filter). Failures are
// told in message boxes.
void SaveImageToFile(ZorbGUI& gui, const char* path, bool bitmap);
void SaveCycleRangeToFiles(ZorbGUI& gui, const char* path, bool bitmap);

// The name of frame `frame` (0..255) of a colour-cycle sequence chosen as `path`: the path
// without its last four characters (its extension), the frame in three digits, then ".bmp" or
// ".jpg". Returns false when the name does not fit `nameSize` characters.
bool CycleFrameName(const char* path, int frame, bool bitmap, char* name, size_t nameSize);

// Before a save reads the window's picture: a render still running would write rows while
// they are read. Stops it, waits for its threads (answering what they send meanwhile) and asks
// for the picture to be drawn again. False, after telling the user, when it did not end in
// time; the picture is then not to be read.
bool SettleRenderBeforeSave(ZorbGUI& gui);
