// Saving and loading co-ordinates files through the window object.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include "app/commands/CoordinatesCommands.h"
#include "app/view/ViewAspect.h"
#include "app/view/ViewBounds.h"
#include "tests/app_files/DialogDriver.h"
#include "tests/app_files/PictureFixture.h"
#include "tests/support/BoundedView.h"
#include "tests/support/WindowlessGui.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 260;
constexpr char kTitle[] = "Zorbscape";
constexpr char kDefaultLine[] = "-2 1 -1.2999999523162841796875 1.2999999523162841796875 0 2";

void WriteText(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

int CountNumbers(const std::string& text)
{
    std::istringstream in(text);
    std::string word;
    int n = 0;
    while (in >> word) {
        ++n;
    }
    return n;
}

// Leaves the window object away from every default, so a load or reset shows.
void Disturb(ZorbGUI* gui)
{
    gui->view = View{0.25, 0.5, 0.75, 0.125, 0.25, 0.625, 0.0, 0.0};
    gui->julia = true;
    gui->juliaRe = 5.0;
    gui->juliaIm = 6.0;
    gui->formula = 4;
}

View ResetView()
{
    View view{};
    view.SetDefault();
    return FixViewAspect(view, kWidth, kHeight);
}

TEST(CoordinatesLoad, DefaultViewRoundTrip)
{
    ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
    const std::string path = TempPath("default.dat");
    BoxAnswerer boxes(kTitle);
    SaveCoordinatesToFile(*gui, path.c_str());
    EXPECT_EQ(kDefaultLine, ReadFile(path));

    Disturb(gui);
    gui->renderDue = 0;
    LoadCoordinatesFromFile(*gui, path.c_str());
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_FALSE(gui->julia);
    EXPECT_EQ(2, gui->formula);
    EXPECT_EQ(1, gui->renderDue);
    // The x step (3 / 300) is the larger: x keeps its range, y is widened to the same step.
    const double step = 3.0 / kWidth;
    EXPECT_NEAR(-2.0, gui->view.xMin, 1e-12);
    EXPECT_NEAR(1.0, gui->view.xMax, 1e-12);
    EXPECT_NEAR(-step * (kHeight / 2), gui->view.yMin, 1e-12);
    EXPECT_NEAR(step * (kHeight / 2), gui->view.yMax, 1e-12);
    EXPECT_NEAR(gui->view.stepX, gui->view.stepY, 1e-15);
    remove(path.c_str());
}

TEST(CoordinatesLoad, JuliaFileRoundTrip)
{
    ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
    gui->julia = true;
    gui->juliaRe = -0.8;
    gui->juliaIm = 0.156;
    gui->formula = 3;
    const std::string path = TempPath("julia.dat");
    SaveCoordinatesToFile(*gui, path.c_str());
    const std::string text = ReadFile(path);
    EXPECT_EQ(8, CountNumbers(text)) << text;

    Disturb(gui);
    LoadCoordinatesFromFile(*gui, path.c_str());
    EXPECT_TRUE(gui->julia);
    EXPECT_EQ(-0.8, gui->juliaRe);
    EXPECT_EQ(0.156, gui->juliaIm);
    EXPECT_EQ(3, gui->formula);
    remove(path.c_str());
}

TEST(CoordinatesLoad, InvalidFilesResetTheView)
{
    const std::string valid = kDefaultLine;
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"line feed at the end", valid + "\n"},
        {"carriage return at the end", valid + "\r"},
        {"plus sign in an exponent", "-2 1 -1.3e+0 1.3 0 2"},
        {"tab between numbers", "-2\t1 -1.3 1.3 0 2"},
        {"cut short before the Julia flag", "-2 1 -1.3 1.3"},
        {"Julia constant cut short", "-2 1 -1.3 1.3 1 0.5"},
        {"empty file", ""},
        {"bounds beyond a double", "-1e999 1e999 -1e999 1e999 0 2"},
        {"one bound beyond a double", "-2 1e309 -1.3 1.3 0 2"},
        {"span beyond a double", "-1e308 1.7e308 -1.3 1.3 0 2"},
        {"Julia constant beyond a double", "-2 1 -1.3 1.3 1 1e999 0 2"},
        {"a bound of 5000 digits beyond a double", "-2 1" + std::string(5000, '0') + " -1.3 1.3 0 2"},
        {"no width and no height", "0.5 0.5 1 1 0 2"},
    };
    const std::string path = TempPath("invalid.dat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
        WriteText(path, c.bytes);
        Disturb(gui);
        gui->renderDue = 0;
        std::vector<std::string> texts;
        {
            BoxAnswerer boxes(kTitle);
            LoadCoordinatesFromFile(*gui, path.c_str());
            texts = boxes.Texts();
        }
        EXPECT_EQ(std::vector<std::string>{"Invalid CO-ord File, Resetting..."}, texts);
        EXPECT_FALSE(gui->julia);
        EXPECT_EQ(2, gui->formula);
        EXPECT_EQ(1, gui->renderDue);
        ExpectSameBounds(ResetView(), gui->view);
        EXPECT_TRUE(std::isfinite(gui->juliaRe) && std::isfinite(gui->juliaIm));
    }
    remove(path.c_str());
}

// Every view the program can reach is saved as a file it loads again. Near the largest double
// an aspect fix or a zoom out would carry a bound past it; they are not done, and the file
// holds the view that was drawn.
TEST(CoordinatesLoad, ViewsNearTheLargestDoubleSaveFilesThatLoadBack)
{
    struct Case {
        const char* name;
        const char* file;
        int zoomOuts;
        bool julia;
    };
    const Case cases[] = {
        // The aspect fix would widen the real axis to 1.6e308 x 300 / 260.
        {"a tall view", "-1e-300 1e-300 -8e307 8e307 0 2", 0, false},
        // The first zoom out gives spans of 1e308; the second would give 5e308.
        {"zoomed out twice", "-1e307 1e307 -7e306 7e306 0 2", 2, false},
        // A span of 1e308 times a pixel position overflows before it is divided.
        {"a Julia point", "-1e307 1e307 -7e306 7e306 0 2", 1, true},
    };
    const std::string path = TempPath("largest.dat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
        WriteText(path, c.file);
        BoxAnswerer boxes(kTitle);
        LoadCoordinatesFromFile(*gui, path.c_str());
        for (int i = 0; i < c.zoomOuts; ++i) {
            gui->ZoomOut();
        }
        if (c.julia) {
            gui->ToggleJulia(static_cast<LPARAM>(((kHeight - 1u) << 16) | (kWidth - 1u)));
        }
        ASSERT_TRUE(IsDrawableView(gui->view));
        const View shown = gui->view;
        SaveCoordinatesToFile(*gui, path.c_str());
        const std::string saved = ReadFile(path);
        EXPECT_EQ(std::string::npos, saved.find_first_of("INFinf")) << saved;

        Disturb(gui);
        LoadCoordinatesFromFile(*gui, path.c_str());
        EXPECT_TRUE(boxes.Texts().empty()) << saved;
        EXPECT_EQ(c.julia, gui->julia);
        EXPECT_TRUE(std::isfinite(gui->juliaRe) && std::isfinite(gui->juliaIm));
        // The load fixes the aspect again, which may move a bound by its last digits.
        const double toleranceX = (shown.xMax - shown.xMin) * 1e-12;
        const double toleranceY = (shown.yMax - shown.yMin) * 1e-12;
        EXPECT_NEAR(shown.xMin, gui->view.xMin, toleranceX);
        EXPECT_NEAR(shown.xMax, gui->view.xMax, toleranceX);
        EXPECT_NEAR(shown.yMin, gui->view.yMin, toleranceY);
        EXPECT_NEAR(shown.yMax, gui->view.yMax, toleranceY);
    }
    remove(path.c_str());
}

// A number is read whole, however many digits it has.
TEST(CoordinatesLoad, LongNumbersLoad)
{
    ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
    const std::string zeros(5000, '0');
    const std::string path = TempPath("long.dat");
    WriteText(path, "-2." + zeros + "1 1 -1.3 1.3 1 0." + zeros + "5e5000 -0.25" + zeros + " 4");
    Disturb(gui);
    BoxAnswerer boxes(kTitle);
    LoadCoordinatesFromFile(*gui, path.c_str());
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_TRUE(gui->julia);
    EXPECT_EQ(0.5, gui->juliaRe);
    EXPECT_EQ(-0.25, gui->juliaIm);
    EXPECT_EQ(4, gui->formula);
    EXPECT_NEAR(-2.0, gui->view.xMin, 1e-12);
    remove(path.c_str());
}

TEST(CoordinatesLoad, ByteOf255EndsTheCheck)
{
    ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
    const std::string path = TempPath("stop-byte.dat");
    WriteText(path, "-2 1 -1.3 1.3 0 5\xff\r\n+ not checked");
    Disturb(gui);
    BoxAnswerer boxes(kTitle);
    LoadCoordinatesFromFile(*gui, path.c_str());
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(5, gui->formula);
    EXPECT_FALSE(gui->julia);
    remove(path.c_str());
}

TEST(CoordinatesLoad, FilesThatCannotBeOpenedChangeNothing)
{
    ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
    Disturb(gui);
    const View before = gui->view;
    const std::string missing = TempPath("no-such-folder\\view.dat");
    BoxAnswerer boxes(kTitle);
    LoadCoordinatesFromFile(*gui, missing.c_str());
    SaveCoordinatesToFile(*gui, missing.c_str());
    EXPECT_EQ((std::vector<std::string>{"Error Opening File", "Error Creating File"}), boxes.Texts());
    ExpectSameBounds(before, gui->view);
    EXPECT_TRUE(gui->julia);
    EXPECT_EQ(4, gui->formula);
}

// Every file is refused, with the box and the reset, or loads a view the program can draw.
TEST(CoordinatesLoad, RandomFilesAreRefusedOrLoadADrawableView)
{
    const char alphabet[] = " -.0123456789Ee";
    std::mt19937 random(7);
    std::uniform_int_distribution<int> length(0, 60);
    std::uniform_int_distribution<int> pick(0, sizeof(alphabet) - 2);
    std::uniform_int_distribution<int> anyByte(0, 255);
    const std::string path = TempPath("random.dat");
    BoxAnswerer boxes(kTitle);
    for (int round = 0; round < 60; ++round) {
        ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
        std::string bytes;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            bytes.push_back(round % 3 == 0 ? static_cast<char>(anyByte(random)) : alphabet[pick(random)]);
        }
        WriteText(path, bytes);
        const size_t boxesBefore = boxes.Texts().size();
        LoadCoordinatesFromFile(*gui, path.c_str());
        SCOPED_TRACE('"' + bytes + '"');
        if (boxes.Texts().size() > boxesBefore) {
            EXPECT_EQ(2, gui->formula);
            EXPECT_FALSE(gui->julia);
            ExpectSameBounds(ResetView(), gui->view);
        }
        EXPECT_TRUE(IsDrawableView(gui->view));
        EXPECT_TRUE(std::isfinite(gui->juliaRe) && std::isfinite(gui->juliaIm));
    }
    remove(path.c_str());
}

}  // namespace
