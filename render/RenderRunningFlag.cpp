#include "render/RenderRunningFlag.h"

std::atomic<bool> RenderRunningFlag{false};

std::atomic<bool>* GetRenderRunningFlag() {
    return &RenderRunningFlag;
}
