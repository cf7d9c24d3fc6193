// Icons 101, 104 and 108: both sizes in 16 colours, loaded as the program loads them, and drawn onto a known
// colour to see which parts are see-through. A picture of the six images as the program shows them (on the
// square's status colours and on a tray-like grey) goes into the screenshots folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "res/resource_ids.h"
#include "tests/support/painted_pixels.h"
#include "tests/support/window_capture.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kLightGrey = RGB(192, 192, 192);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kKey = RGB(255, 0, 255);  // a colour no icon uses: where it shows, the icon is see-through

struct StatusIcon {
    int id;
    COLORREF square;       // the status brush behind the 32-pixel image
    bool smallIsOpaque;    // the 16-pixel image brings its own background
    COLORREF smallCorner;  // the colour of that background, or kKey when it is see-through
};

const StatusIcon kIcons[] = {
    {IDI_IDLE, kBlue, false, kKey},
    {IDI_MAIL, kRed, true, kRed},
    {IDI_CHECKING, kGreen, true, kGreen},
};

// The pixels of an icon drawn at its own size onto a background of one colour, as 0x00RRGGBB values.
class DrawnIcon {
public:
    DrawnIcon(HICON icon, int size, COLORREF background) : size_(size) {
        pixels_ = testenv::paintedPixels(size, size, background, [&](HDC dc) {
            drawn_ = DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL) != 0;
        });
    }

    bool drawn() const {
        return drawn_;
    }

    COLORREF at(int x, int y) const {
        return testenv::colourOf(pixels_[static_cast<size_t>(y * size_ + x)]);
    }

    int count(COLORREF colour) const {
        int n = 0;
        for (int y = 0; y < size_; ++y) {
            for (int x = 0; x < size_; ++x) {
                n += at(x, y) == colour;
            }
        }
        return n;
    }

private:
    int size_;
    std::vector<uint32_t> pixels_;
    bool drawn_ = false;
};

HICON loadIcon(int id, int size) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
}

#pragma pack(push, 2)
struct GroupIconEntry {  // one image in an RT_GROUP_ICON resource
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

class IconResource : public testing::TestWithParam<StatusIcon> {};

TEST_P(IconResource, HoldsA32AndA16PixelImageIn16Colours) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(GetParam().id), RT_GROUP_ICON);
    ASSERT_NE(nullptr, found);
    const auto* dir = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(nullptr, dir);
    EXPECT_EQ(1, dir[1]);  // icons, not cursors
    ASSERT_EQ(2, dir[2]);
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(dir + 3);
    const int sizes[] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(sizes[i], entries[i].width);
        EXPECT_EQ(sizes[i], entries[i].height);
        EXPECT_EQ(16, entries[i].colourCount);
        EXPECT_EQ(4, entries[i].bitCount);
    }
    for (int size : sizes) {
        HICON icon = loadIcon(GetParam().id, size);
        ASSERT_NE(nullptr, icon) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(size, colour.bmWidth);
        EXPECT_EQ(size, colour.bmHeight);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// The 32-pixel image lets the square's colour show around the cat; the cat itself is opaque: a black
// outline, white fur and a grey patch.
TEST_P(IconResource, BigImageIsSeeThroughAroundAnOpaqueCat) {
    HICON icon = loadIcon(GetParam().id, 32);
    ASSERT_NE(nullptr, icon);
    DrawnIcon drawn(icon, 32, kKey);
    ASSERT_TRUE(drawn.drawn());
    for (POINT corner : {POINT{0, 0}, POINT{31, 0}, POINT{0, 31}, POINT{31, 31}}) {
        EXPECT_EQ(kKey, drawn.at(corner.x, corner.y)) << corner.x << "," << corner.y;
    }
    EXPECT_EQ(kWhite, drawn.at(16, 27)) << "fur at the chin";
    EXPECT_GT(drawn.count(kKey), 100);
    EXPECT_GT(drawn.count(kBlack), 60);
    EXPECT_GT(drawn.count(kWhite), 200);
    EXPECT_GT(drawn.count(kLightGrey), 40);
    DestroyIcon(icon);
}

// In the tray there is no brush: the mail and checking images carry their colour edge to edge, the idle
// image is see-through around the cat.
TEST_P(IconResource, SmallImageBackground) {
    const StatusIcon& want = GetParam();
    HICON icon = loadIcon(want.id, 16);
    ASSERT_NE(nullptr, icon);
    DrawnIcon drawn(icon, 16, kKey);
    ASSERT_TRUE(drawn.drawn());
    for (POINT corner : {POINT{0, 0}, POINT{15, 0}, POINT{0, 15}, POINT{15, 15}}) {
        EXPECT_EQ(want.smallCorner, drawn.at(corner.x, corner.y)) << corner.x << "," << corner.y;
    }
    EXPECT_EQ(want.smallIsOpaque ? 0 : 1, drawn.count(kKey) > 0 ? 1 : 0);
    EXPECT_GT(drawn.count(kBlack), 20);
    EXPECT_GT(drawn.count(kWhite), 30);
    DestroyIcon(icon);
}

INSTANTIATE_TEST_SUITE_P(Resources,
                         IconResource,
                         testing::ValuesIn(kIcons),
                         [](const testing::TestParamInfo<StatusIcon>& info) {
                             return "Icon" + std::to_string(info.param.id);
                         });

// Above 96 DPI the square and the tray take larger images: each is its drawing enlarged pixel by pixel
// (nearest neighbour), so every pixel equals the drawing's pixel under it, see-through parts included.
struct EnlargedGroup {
    int id;      // the group of larger images
    int baseId;  // the group with the drawing at its own size
    int baseSize;
    std::vector<int> sizes;
};

const EnlargedGroup kEnlarged[] = {
    {IDI_IDLE_LARGE, IDI_IDLE, 32, {40, 48, 64, 96}},         {IDI_MAIL_LARGE, IDI_MAIL, 32, {40, 48, 64, 96}},
    {IDI_CHECKING_LARGE, IDI_CHECKING, 32, {40, 48, 64, 96}}, {IDI_IDLE_TRAY, IDI_IDLE, 16, {20, 24, 32, 48}},
    {IDI_MAIL_TRAY, IDI_MAIL, 16, {20, 24, 32, 48}},          {IDI_CHECKING_TRAY, IDI_CHECKING, 16, {20, 24, 32, 48}},
};

TEST(EnlargedIcons, EveryPixelRepeatsTheDrawing) {
    for (const EnlargedGroup& group : kEnlarged) {
        HICON base = loadIcon(group.baseId, group.baseSize);
        ASSERT_NE(nullptr, base);
        DrawnIcon original(base, group.baseSize, kKey);
        for (int size : group.sizes) {
            SCOPED_TRACE("icon " + std::to_string(group.id) + " at " + std::to_string(size));
            HICON icon = loadIcon(group.id, size);
            ASSERT_NE(nullptr, icon);
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour = {};
            GetObjectA(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(size, colour.bmWidth) << "an image of its own at this size, not a stretched one";
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DrawnIcon drawn(icon, size, kKey);
            int differing = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    differing += drawn.at(x, y) != original.at(x * group.baseSize / size, y * group.baseSize / size);
                }
            }
            EXPECT_EQ(0, differing);
            DestroyIcon(icon);
        }
        DestroyIcon(base);
    }
}

// The faces differ where the eyes are: open eyes fill more black than the smiling arcs, and the back of the
// head has no face at all. Counted in the face's middle band (eyes, nose, mouth), away from outline and ears.
TEST(IconFaces, OpenEyesSmilingEyesAndNoFace) {
    int black[3] = {};
    for (int i = 0; i < 3; ++i) {
        HICON icon = loadIcon(kIcons[i].id, 32);
        ASSERT_NE(nullptr, icon);
        DrawnIcon drawn(icon, 32, kKey);
        for (int y = 12; y < 25; ++y) {
            for (int x = 6; x < 26; ++x) {
                black[i] += drawn.at(x, y) == kBlack;
            }
        }
        DestroyIcon(icon);
    }
    EXPECT_GT(black[0], black[1]) << "open eyes against closed ones";
    EXPECT_GT(black[1], 10) << "the smiling face still has eyes, nose and mouth";
    EXPECT_EQ(0, black[2]) << "the back of the head";
}

// The six images as the program shows them: each 32-pixel image on its status square, each 16-pixel image
// on the grey of a task bar, both enlarged four times and at their own size.
TEST(IconPicture, SavesTheIconsAsDrawn) {
    const int scale = 4, cell = 32 * scale, gap = 8;
    const int width = gap + 3 * (cell + gap), height = gap + 2 * (cell + gap) + 32 + gap;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP sheet = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, sheet);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int i = 0; i < 3; ++i) {
        const int left = gap + i * (cell + gap);
        const struct {
            int size;
            COLORREF background;
            int top;
        } rows[] = {{32, kIcons[i].square, gap}, {16, GetSysColor(COLOR_3DFACE), gap + cell + gap}};
        for (const auto& row : rows) {
            HICON icon = loadIcon(kIcons[i].id, row.size);
            ASSERT_NE(nullptr, icon);
            HBRUSH brush = CreateSolidBrush(row.background);
            RECT big = {left, row.top, left + cell, row.top + cell};
            FillRect(dc, &big, brush);
            const int drawnSize = row.size * scale, inset = (cell - drawnSize) / 2;
            // Drawing through a stretch of the icon's own pixels keeps them sharp.
            DrawnIcon pixels(icon, row.size, row.background);
            for (int y = 0; y < row.size; ++y) {
                for (int x = 0; x < row.size; ++x) {
                    HBRUSH dot = CreateSolidBrush(pixels.at(x, y));
                    RECT r = {left + inset + x * scale, row.top + inset + y * scale, left + inset + (x + 1) * scale,
                              row.top + inset + (y + 1) * scale};
                    FillRect(dc, &r, dot);
                    DeleteObject(dot);
                }
            }
            const int smallLeft = left + (row.size == 32 ? 0 : 48);
            RECT actual = {smallLeft, gap + 2 * (cell + gap), smallLeft + 32, gap + 2 * (cell + gap) + 32};
            FillRect(dc, &actual, brush);
            DrawIconEx(dc, smallLeft + (32 - row.size) / 2, actual.top + (32 - row.size) / 2, icon, row.size, row.size,
                       0, nullptr, DI_NORMAL);
            DeleteObject(brush);
            DestroyIcon(icon);
        }
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    EXPECT_NE("", testenv::saveBitmapPicture(sheet, "icons-as-drawn"));
    DeleteObject(sheet);
}

}  // namespace
