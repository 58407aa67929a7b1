// Saving and loading co-ordinates files through the window object.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include "app/commands/CoordinatesCommands.h"
#include "app/view/ViewAspect.h"
#include "tests/app_files/DialogDriver.h"
#include "tests/app_files/PictureFixture.h"
#include "tests/app_files/WindowlessGui.h"

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

void ExpectView(const View& expected, const View& actual)
{
    EXPECT_EQ(expected.xMin, actual.xMin);
    EXPECT_EQ(expected.xMax, actual.xMax);
    EXPECT_EQ(expected.yMin, actual.yMin);
    EXPECT_EQ(expected.yMax, actual.yMax);
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
        ExpectView(ResetView(), gui->view);
        EXPECT_TRUE(std::isfinite(gui->juliaRe) && std::isfinite(gui->juliaIm));
    }
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
    ExpectView(before, gui->view);
    EXPECT_TRUE(gui->julia);
    EXPECT_EQ(4, gui->formula);
}

TEST(CoordinatesLoad, RandomFilesNeverBreakTheLoader)
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
        if (boxes.Texts().size() > boxesBefore) {
            EXPECT_EQ(2, gui->formula);
            EXPECT_FALSE(gui->julia);
        }
    }
    remove(path.c_str());
}

}  // namespace
