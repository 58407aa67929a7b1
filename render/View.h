#pragma once

// The region of the complex plane a render covers. stepX and stepY are the spans per pixel.
// A plain record: its operations live with the window that owns the view.
struct View {
    double xMin;
    double xMax;
    double yMax;
    double yMin;
    double spanX;
    double spanY;
    double stepX;
    double stepY;
};
