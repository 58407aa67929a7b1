#pragma once

#include <cstdio>
#include <string>

// What a co-ordinates file (*.dat) holds: the view's bounds, Julia mode with its constant, and
// the formula. One line of text, no line end:
//   xMin xMax yMin yMax 0 formula
//   xMin xMax yMin yMax 1 juliaRe juliaIm formula
// Numbers are written with "%.64G", the exact decimal value of each double.
struct CoordinateRecord {
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
    bool julia = false;
    double juliaRe = 0.0;
    double juliaIm = 0.0;
    int formula = 0;
};

// The file's text for a record. The formula is written in decimal: for ids 0..9 that is the
// single character '0' + formula.
std::string FormatCoordinates(const CoordinateRecord& record);

// True when a byte may appear in a co-ordinates file: the space, '-', '.', '0'..'9', 'E', 'e'.
bool IsCoordinateByte(unsigned char byte);

// Byte check of a whole file: every byte allowed, except that a byte of value 255 ends the
// check as if the file ended there.
bool CoordinateBytesValid(const std::string& bytes);
bool CoordinateBytesValid(FILE* file);  // reads the file from its position to its end

// Reads a record as scanf("%lg") and scanf("%d") would, in the file's order. `record` comes
// in with the values to keep: a number that does not convert leaves its field as it was and
// reading goes on; the Julia flag starts at 0 and the constant is read only when it is not 0.
// Numbers are read whole, however many digits they have. False when the text ends before a
// number is found (the file is cut short), or when a number or the span between two bounds is
// beyond the range of a double; such a number is not stored.
bool ParseCoordinates(const std::string& text, CoordinateRecord& record);
bool ParseCoordinates(FILE* file, CoordinateRecord& record);  // from the file's position
