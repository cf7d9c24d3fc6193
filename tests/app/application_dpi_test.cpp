// The square and the list window at other DPIs: a DPI change reaches the windows as the system sends it
// (WM_DPICHANGED with the suggested rectangle), and the square is painted into a bitmap of our own to see
// its size and its icon pixel by pixel.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/count_badge_paint.h"
#include "app/dpi_win.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"
#include "tests/app/application_fixture.h"
#include "tests/support/painted_pixels.h"

namespace {

using uitest::ApplicationTest;

constexpr COLORREF kKey = RGB(255, 0, 255);  // no look uses it: where it stays, nothing was painted
constexpr int kCanvas = 100;

RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// What the main window paints for its background, in a 100 by 100 bitmap first filled with the key colour.
class Painted {
public:
    explicit Painted(HWND window)
        : pixels(testenv::paintedPixels(kCanvas, kCanvas, kKey, [window](HDC dc) {
              SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
          })) {
    }

    COLORREF at(int x, int y) const {
        return testenv::colourOf(pixels[static_cast<size_t>(y * kCanvas + x)]);
    }

    // The side of the painted square: the first column on row 0 that kept the key colour.
    int paintedSize() const {
        int size = 0;
        while (size < kCanvas && at(size, 0) != kKey) {
            ++size;
        }
        return size;
    }

private:
    std::vector<uint32_t> pixels;
};

void changeDpi(HWND window, int dpi, RECT suggested) {
    SendMessageA(window, app::kWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST_F(ApplicationTest, AtEachDpiTheSquareAndItsIconGrowSharply) {
    folder.setIni("X", "300");
    folder.setIni("Y", "200");
    start();
    const Painted designed(mainWindow());
    ASSERT_EQ(32, designed.paintedSize()) << "at 96 DPI the square is as drawn";
    ASSERT_EQ(RGB(0, 0, 255), designed.at(0, 0));

    const struct {
        int dpi;
        int square;  // the window's side
        int icon;    // the image drawn in its middle
    } cases[] = {{120, 40, 40}, {144, 48, 48}, {168, 56, 48}, {192, 64, 64}, {96, 32, 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE("at " + std::to_string(c.dpi) + " DPI");
        changeDpi(mainWindow(), c.dpi, RECT{310, 210, 310 + c.square, 210 + c.square});
        RECT rect = windowRect(mainWindow());
        EXPECT_EQ(310, rect.left);
        EXPECT_EQ(210, rect.top);
        EXPECT_EQ(c.square, rect.right - rect.left);
        EXPECT_EQ(c.square, rect.bottom - rect.top);

        const Painted painted(mainWindow());
        EXPECT_EQ(c.square, painted.paintedSize());
        EXPECT_EQ(RGB(0, 0, 255), painted.at(c.square - 1, c.square - 1)) << "the status colour reaches the corner";
        // The icon is the 32-pixel drawing, every pixel repeated: never a blend of two pixels.
        const int inset = (c.square - c.icon) / 2;
        int differing = 0;
        for (int y = 0; y < c.icon; ++y) {
            for (int x = 0; x < c.icon; ++x) {
                differing += painted.at(inset + x, inset + y) != designed.at(x * 32 / c.icon, y * 32 / c.icon);
            }
        }
        EXPECT_EQ(0, differing);
    }
}

// The badge as the test draws it for itself: the figures of "7" and "99+" in a 3 by 5 font on a plate with a
// one-pixel margin, '#' the ink.
std::vector<std::string> referenceBadge(const std::string& text) {
    const std::map<char, std::vector<std::string>> font = {
        {'7', {"###", "..#", ".#.", ".#.", ".#."}},
        {'9', {"###", "#.#", "###", "..#", "###"}},
        {'+', {"...", ".#.", "###", ".#.", "..."}},
    };
    const size_t width = 2 + text.size() * 4 - 1;
    std::vector<std::string> rows(7, std::string(width, '.'));
    for (size_t index = 0; index < text.size(); ++index) {
        for (size_t row = 0; row < 5; ++row) {
            rows[row + 1].replace(1 + index * 4, 3, font.at(text[index])[row]);
        }
    }
    return rows;
}

// How many pixels of the picture's bottom right corner differ from the reference enlarged `scale` times.
int differingFromReference(const std::function<COLORREF(int, int)>& at, int size, const std::string& text, int scale) {
    const std::vector<std::string> reference = referenceBadge(text);
    const int width = static_cast<int>(reference[0].size()) * scale;
    const int height = 7 * scale;
    int differing = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool ink = reference[static_cast<size_t>(y / scale)][static_cast<size_t>(x / scale)] == '#';
            differing += at(size - width + x, size - height + y) != (ink ? app::kBadgeInk : app::kBadgePlate);
        }
    }
    return differing;
}

TEST_F(ApplicationTest, WithShowCountTheSquareShowsTheCountSharpAtEachDpi) {
    folder.setIni("ShowCount", "1");
    std::vector<ServedMail> mails;
    for (int i = 0; i < 7; ++i) {
        mails.push_back({"s" + std::to_string(i), "neko", 10});
    }
    serveMails(mails);
    start();
    checkByHand();
    const struct {
        int dpi;
        int square;
        int scale;
    } cases[] = {{96, 32, 1}, {192, 64, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE("at " + std::to_string(c.dpi) + " DPI");
        changeDpi(mainWindow(), c.dpi, RECT{300, 200, 300 + c.square, 200 + c.square});
        const Painted painted(mainWindow());
        EXPECT_EQ(0, differingFromReference([&](int x, int y) { return painted.at(x, y); }, c.square, "7", c.scale));
        EXPECT_EQ(RGB(255, 0, 0), painted.at(c.square - 1, 0)) << "the status colour keeps its corners";
        EXPECT_EQ(RGB(255, 0, 0), painted.at(0, c.square - 1));
    }
}

TEST(CountBadgePaint, TheTrayIconGetsTheBadgeInItsCornerAndKeepsTheRest) {
    for (int size : {16, 48}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                                   MAKEINTRESOURCEA(size == 16 ? IDI_MAIL : IDI_MAIL_TRAY), IMAGE_ICON,
                                                   size, size, 0));
        ASSERT_NE(nullptr, icon);
        HICON badged = app::iconWithBadge(icon, size, app::badgeImage(120, size));
        ASSERT_NE(nullptr, badged);
        const auto draw = [size](HICON which) {
            return testenv::paintedPixels(size, size, kKey, [which, size](HDC dc) {
                DrawIconEx(dc, 0, 0, which, size, size, 0, nullptr, DI_NORMAL);
            });
        };
        const std::vector<uint32_t> plain = draw(icon);
        const std::vector<uint32_t> withBadge = draw(badged);
        const int scale = size == 16 ? 1 : 2;
        EXPECT_EQ(0, differingFromReference(
                         [&](int x, int y) { return testenv::colourOf(withBadge[static_cast<size_t>(y * size + x)]); },
                         size, "99+", scale));
        // Above the badge the icon is as it was, transparent parts included.
        int changed = 0;
        for (int i = 0; i < size * (size - 7 * scale); ++i) {
            changed += plain[static_cast<size_t>(i)] != withBadge[static_cast<size_t>(i)];
        }
        EXPECT_EQ(0, changed);
        DestroyIcon(badged);
        DestroyIcon(icon);
    }
}

TEST_F(ApplicationTest, DpiChangeKeepsTheSquareOnItsScreen) {
    start();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    changeDpi(mainWindow(), 192, RECT{width + 500, height + 500, width + 564, height + 564});
    RECT rect = windowRect(mainWindow());
    EXPECT_EQ(width - 65, rect.left);
    EXPECT_EQ(height - 65, rect.top);
    EXPECT_EQ(64, rect.right - rect.left);

    // A display change afterwards keeps the size of the window's own DPI and pulls it inside the new size.
    SendMessageA(mainWindow(), WM_DISPLAYCHANGE, 24, MAKELPARAM(640, 480));
    rect = windowRect(mainWindow());
    const int size = rect.right - rect.left;
    EXPECT_EQ(640 - size - 1, rect.left);
    EXPECT_EQ(480 - size - 1, rect.top);
}

TEST_F(ApplicationTest, ListWindowAndColumnsFollowTheDpi) {
    serveMails({{"one", "neko", 10}});
    start();
    changeDpi(mainWindow(), 144, RECT{100, 100, 148, 148});
    checkByHand();
    HWND list = listWindow();
    ASSERT_NE(nullptr, list);
    RECT rect = windowRect(list);
    EXPECT_EQ(660, rect.right - rect.left) << "440 pixels at 96 DPI";
    EXPECT_EQ(240, rect.bottom - rect.top) << "160 pixels at 96 DPI";

    // The columns start at the list window's own DPI, and follow it when it moves to another screen.
    HWND view = listView();
    const int dpi = app::windowDpi(list);
    const int designed[] = {100, 100, 50, 160};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(MulDiv(designed[column], dpi, 96), SendMessageA(view, LVM_GETCOLUMNWIDTH, column, 0)) << column;
    }
    changeDpi(list, dpi * 2, RECT{50, 60, 50 + 800, 60 + 300});
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(MulDiv(designed[column], dpi * 2, 96), SendMessageA(view, LVM_GETCOLUMNWIDTH, column, 0)) << column;
    }
    rect = windowRect(list);
    EXPECT_EQ(50, rect.left);
    EXPECT_EQ(60, rect.top);
    EXPECT_EQ(800, rect.right - rect.left);
}

}  // namespace
