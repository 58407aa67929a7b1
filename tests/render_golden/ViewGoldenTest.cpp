#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GoldenData.h"
#include "app/files/CoordinatesFile.h"
#include "app/view/ViewAspect.h"
#include "app/view/ViewHistory.h"
#include "app/view/ViewIterations.h"
#include "app/view/ViewPoint.h"
#include "app/view/ViewZoom.h"
#include "render/Precision.h"
#include "render/RenderBand.h"
#include "render/View.h"
#include "tests/render_kernels/KernelClient.h"
#include "tests/support/BoundedView.h"

namespace {

const char kViewFile[] = "View.golden";

struct Size {
    int width, height;
};

const Size kSizes[] = {{640, 480}, {641, 479}, {1280, 987}, {37, 1000}, {1000, 37}, {1, 1}};

struct NamedView {
    const char* name;
    View view;
};

std::vector<NamedView> StartViews()
{
    View byDefault{};
    byDefault.SetDefault();
    View julia = byDefault;
    julia.xMax = 2.0;
    julia.spanX = 4.0;
    return {
        {"Default", byDefault},
        {"Julia", julia},
        {"Deep", BoundedView(-0.743644786 - 3e-9, -0.743644786 + 3e-9, 0.131825253 - 2e-9, 0.131825253 + 2e-9)},
        {"UpsideDown", BoundedView(-0.3, 0.7, 0.4, -0.35)},
        {"Narrow", BoundedView(0.25, 0.2500001, -1.1, 1.1)},
    };
}

std::vector<std::string> Bits(const View& v)
{
    return {HexBits(v.xMin), HexBits(v.xMax), HexBits(v.yMax), HexBits(v.yMin),
            HexBits(v.spanX), HexBits(v.spanY), HexBits(v.stepX), HexBits(v.stepY)};
}

// A render start brings spans and steps up to date.
View Rendered(View v, Size size)
{
    v.UpdateSpans();
    v.UpdateSteps(size.width, size.height);
    return v;
}

// The float and double checks of a render start, with one thread and with many.
std::vector<std::string> PrecisionChoice(const View& view, Size size)
{
    Scene scene;
    scene.view = view;
    scene.colEnd = size.width;
    scene.rowEnd = size.height;
    KernelClient client(scene);
    const RenderBand request(size.width, size.height, 0, size.width, 0, size.height, view.stepX, view.stepY);
    std::vector<std::string> choice;
    for (bool manyThreads : {false, true}) {
        choice.push_back(CheckFloatPrecision(&request, manyThreads, &client) ? "float" : "-");
        choice.push_back(CheckDoublePrecision(&request, manyThreads, &client) ? "double" : "-");
    }
    return choice;
}

void AddAspectFixes(GoldenEntries& out)
{
    for (const NamedView& start : StartViews()) {
        for (const Size& size : kSizes) {
            const std::string name = std::string("Aspect.") + start.name + "." + std::to_string(size.width) + "x" +
                                     std::to_string(size.height);
            out.emplace_back(name, Bits(FixViewAspect(start.view, size.width, size.height)));
        }
    }
}

// A session of zooms as the window makes them: wheel in and out about points, zoom out by 5,
// rubber bands with and without the aspect kept, each step pushed to the undo history and
// rendered; then undone to the start.
void AddZoomSession(GoldenEntries& out, const NamedView& start, Size size)
{
    const std::string prefix = std::string("Zoom.") + start.name + "." + std::to_string(size.width) + "x" +
                               std::to_string(size.height) + ".";
    View view = Rendered(FixViewAspect(start.view, size.width, size.height), size);
    ViewHistory history;
    for (int step = 0; step < 40; ++step) {
        history.Push(view);
        const ImagePoint point{(step * 97) % (size.width + 20) - 10, (step * 61) % (size.height + 20) - 10};
        switch (step % 5) {
        case 0:
            view = ZoomViewAboutPoint(110.0 / 120.0, view, size.width, size.height, point);
            break;
        case 1:
            view = ZoomViewAboutPoint(5.0, view, size.width, size.height, ImagePoint{size.width / 2, size.height / 2});
            break;
        case 2:
            view = ZoomViewAboutPoint(-(-240) * 0.00909090909090909, view, size.width, size.height, point);
            break;
        case 3:
        case 4: {
            const bool keep = step % 5 == 3;
            const ImagePoint end{point.x + 3 + step * 7 % 50, point.y + 5 + step * 3 % 40};
            const SelectionBox box = MakeSelectionBox(point, end, keep, size.width, size.height);
            if (box.valid) {
                view = SelectionView(view, box, keep, size.width, size.height);
                out.emplace_back(prefix + std::to_string(step) + ".Magnification",
                                 std::vector<std::string>{HexBits(SelectionMagnification(box, size.width, size.height))});
            }
            break;
        }
        }
        out.emplace_back(prefix + std::to_string(step), Bits(view));
        view = Rendered(view, size);
        const PlanePoint p = PixelToPlane(view, size.width, size.height, point);
        out.emplace_back(prefix + std::to_string(step) + ".Point", std::vector<std::string>{HexBits(p.re), HexBits(p.im)});
        // The drift of accumulated steps that decides between the float and double kernels.
        out.emplace_back(prefix + std::to_string(step) + ".Drift",
                         std::vector<std::string>{
                             HexBits(AccumulateStepsFloat(view.xMin, view.xMax, view.stepX, size.width)),
                             HexBits(AccumulateStepsFloat(view.yMin, view.yMax, view.stepY, size.height)),
                             HexBits(AccumulateStepsDouble(view.xMin, view.xMax, view.stepX, size.width)),
                             HexBits(AccumulateStepsDouble(view.yMin, view.yMax, view.stepY, size.height))});
        out.emplace_back(prefix + std::to_string(step) + ".Precision", PrecisionChoice(view, size));
    }
    std::vector<std::string> undone;
    while (history.Pop(&view)) {
        for (const std::string& bits : Bits(view)) {
            undone.push_back(bits);
        }
    }
    out.emplace_back(prefix + "Undo", undone);
}

void AddIterationLimits(GoldenEntries& out)
{
    std::vector<std::string> limits;
    uint64_t limit = kDefaultMaxIterations;
    for (int i = 1; i <= 300; ++i) {
        const double magnification = i % 3 == 0 ? 0.2 : (i % 3 == 1 ? 120.0 / 110.0 + i * 0.01 : 7.0 / i);
        limits.push_back(std::to_string(AdaptedIterationLimit(kDefaultMaxIterations + i * 1234567, magnification)));
        limit = AdaptedIterationLimit(limit < 64 ? 4096 : limit, magnification);
        limits.push_back(std::to_string(limit));
    }
    out.emplace_back("Iterations", limits);
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    size_t begin = 0;
    while (begin <= text.size()) {
        const size_t end = std::min(text.find(' ', begin), text.size());
        words.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return words;
}

// Files as saved, and the doubles read back from them and from hand-written numbers.
void AddCoordinateFiles(GoldenEntries& out)
{
    std::vector<std::string> texts;
    for (const NamedView& start : StartViews()) {
        const View v = FixViewAspect(start.view, 641, 479);
        CoordinateRecord record;
        record.xMin = v.xMin;
        record.xMax = v.xMax;
        record.yMin = v.yMin;
        record.yMax = v.yMax;
        record.julia = true;
        record.juliaRe = v.xMin / 3.0;
        record.juliaIm = v.yMax / 7.0;
        record.formula = 3;
        const std::string text = FormatCoordinates(record);
        out.emplace_back(std::string("Coords.") + start.name, Words(text));
        texts.push_back(text);
    }
    texts.push_back("0.1 -1.2999999523162842 3.14159265358979323846 1e-300 1 0.30000000000000004 -7.5E-5 2");
    texts.push_back("-2.000000000000000111 1.0000000000000002220446 -1.29999995231628417968750001 "
                    "1.2999999523162841796875 0 5");
    for (size_t i = 0; i < texts.size(); ++i) {
        CoordinateRecord read;
        const bool complete = ParseCoordinates(texts[i], read);
        out.emplace_back("CoordsRead." + std::to_string(i),
                         std::vector<std::string>{complete ? "complete" : "short", HexBits(read.xMin), HexBits(read.xMax),
                                                  HexBits(read.yMin), HexBits(read.yMax), HexBits(read.juliaRe),
                                                  HexBits(read.juliaIm), std::to_string(read.formula)});
    }
}

GoldenEntries ComputeViewEntries()
{
    GoldenEntries out;
    AddAspectFixes(out);
    for (const NamedView& start : StartViews()) {
        AddZoomSession(out, start, Size{641, 479});
    }
    AddZoomSession(out, StartViews()[0], Size{1280, 987});
    AddIterationLimits(out);
    AddCoordinateFiles(out);
    return out;
}

// Aspect fixes, zooms, undo, pixel-to-plane readings, the precision choice's drift, adaptive
// limits and co-ordinates files give the x64 build's doubles.
TEST(ViewGoldenTest, ViewArithmeticGivesWhatX64Gives)
{
    GoldenTable golden;
    std::string error;
    ASSERT_TRUE(ReadGoldenFile(kViewFile, &golden, &error)) << error;
    const GoldenComparison c = CompareWithGolden(golden, ComputeViewEntries());
    EXPECT_EQ(c.differing, 0u) << c.differing << " of " << c.compared << " values differ from the x64 build\n"
                               << c.report;
}

} // namespace

bool WriteViewGolden(std::string* error)
{
    return WriteGoldenFile(kViewFile, ComputeViewEntries(), error);
}
