#include "app/view/ViewPresets.h"

#include "app/view/ViewAspect.h"

View DefaultView()
{
    View v{};
    v.SetDefault();
    return v;
}

View JuliaSwitchView(bool enteringJulia, int width, int height)
{
    View v = DefaultView();
    v.xMax = enteringJulia ? 2.0 : 1.0;
    v.spanX = v.xMax + 2.0;
    return FixViewAspect(v, width, height);
}
