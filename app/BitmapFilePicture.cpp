#include "app/BitmapFilePicture.h"

#include <algorithm>

#include "app/ZorbGUI.h"

DibPicture GetWindowPicture()
{
    ZorbGUI* gui = ZorbGUI::GetInstance();
    DibPicture picture{};
    picture.indices = gui->GetDibBits();
    picture.smooth = gui->GetSmoothBuffer();
    picture.stride = gui->screenStride;
    picture.rows = gui->screenHeight;
    picture.palette = gui->GetPalette();
    // Reading past the screen-size buffers would read foreign memory; before the buffers exist
    // there is no picture at all.
    const bool haveBuffers = picture.indices != nullptr && picture.smooth != nullptr;
    picture.width = haveBuffers ? std::clamp(gui->GetWidth(), 0, gui->screenWidth) : 0;
    picture.height = haveBuffers ? std::clamp(gui->GetHeight(), 0, picture.rows) : 0;
    return picture;
}
