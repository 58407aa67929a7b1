#pragma once
// Ids of the iteration-limit dialog, the About box and its picture.

// Dialog "GetIterations" is named by that string in dialogs.rc.
#define IDC_MAX_ITERATIONS_EDIT 1006

#define IDD_ABOUT 110
#define IDB_ABOUT_PICTURE 111
#define IDC_ABOUT_OK 1007
#define IDC_ABOUT_TEXT 1021

#ifndef RC_INVOKED
namespace DialogResource {
constexpr const char* MaxIterations = "GetIterations";
constexpr int MaxIterationsEdit = IDC_MAX_ITERATIONS_EDIT;
constexpr int About = IDD_ABOUT;
constexpr int AboutPicture = IDB_ABOUT_PICTURE;
constexpr int AboutOk = IDC_ABOUT_OK;
constexpr int AboutText = IDC_ABOUT_TEXT;
}
#endif
