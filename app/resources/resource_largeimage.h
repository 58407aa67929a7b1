#pragma once
// Dialog 125, "Save Large Image Directly To Disk", and its controls.

#define IDD_SAVE_LARGE_IMAGE 125

#define IDC_LARGE_ASPECT 1010
#define IDC_LARGE_WIDTH 1013
#define IDC_LARGE_HEIGHT 1014
#define IDC_LARGE_FILENAME 1015
#define IDC_LARGE_BROWSE 1016
#define IDC_LARGE_ITERATIONS 1017
#define IDC_LARGE_PROGRESS 1018
#define IDC_LARGE_THREADS 1019
#define IDC_LARGE_THREAD_MAX 1020
#define IDC_LARGE_JPEG 1022
#define IDC_LARGE_BITMAP 1023

#ifndef RC_INVOKED
namespace LargeImageDialogId {
constexpr int Dialog = IDD_SAVE_LARGE_IMAGE;
constexpr int KeepAspect = IDC_LARGE_ASPECT;
constexpr int Width = IDC_LARGE_WIDTH;
constexpr int Height = IDC_LARGE_HEIGHT;
constexpr int FileName = IDC_LARGE_FILENAME;
constexpr int Browse = IDC_LARGE_BROWSE;
constexpr int Iterations = IDC_LARGE_ITERATIONS;
constexpr int Progress = IDC_LARGE_PROGRESS;
constexpr int Threads = IDC_LARGE_THREADS;
constexpr int ThreadMax = IDC_LARGE_THREAD_MAX;
constexpr int Jpeg = IDC_LARGE_JPEG;
constexpr int Bitmap = IDC_LARGE_BITMAP;
}
#endif
