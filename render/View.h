#pragma once

// The region of the complex plane a render covers. stepX and stepY are the spans per pixel.
// A plain record; its few operations are those every client needs to fill one in.
struct View {
    double xMin;
    double xMax;
    double yMax;
    double yMin;
    double spanX;
    double spanY;
    double stepX;
    double stepY;

    // Spans from the bounds, steps from the spans; width and height are at least 1.
    void UpdateSpans();
    void UpdateSteps(int width, int height);
    // x from -2 to 1, y from -1.3 to 1.3 with 1.3 and 2.6 taken at single precision; the
    // steps are left as they were.
    void SetDefault();
};
