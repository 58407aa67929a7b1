#pragma once

class ZorbGUI;

// The halves of ZorbGUI::SaveCoordinates and ZorbGUI::LoadCoordinates after their file
// dialogs, for a path already chosen. Failures are told in message boxes.
void SaveCoordinatesToFile(ZorbGUI& gui, const char* path);
void LoadCoordinatesFromFile(ZorbGUI& gui, const char* path);
