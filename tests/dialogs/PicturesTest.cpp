// The pictures built into the program.

#include "res/Pictures.h"
#include "app/Resource.h"
#include "tests/support/GuiTest.h"

#include <gtest/gtest.h>
#include <wx/image.h>

TEST(Pictures, BitmapsHaveTheirSizesAndTransparentGrey) {
    const struct {
        int id;
        wxSize size;
        bool masked;
    } cases[] = {
        {IDB_NEW, {16, 15}, true},    {IDB_OPEN, {16, 15}, true},       {IDB_SAVE, {16, 15}, true},
        {IDB_SAVEAS, {16, 15}, true}, {IDB_GETPLAYER, {88, 31}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const wxBitmap bmp = LoadResBitmap(c.id);
        ASSERT_TRUE(bmp.IsOk());
        EXPECT_EQ(bmp.GetSize(), c.size);
        EXPECT_EQ(bmp.GetMask() != nullptr, c.masked);
        const wxImage img = bmp.ConvertToImage();
        int transparent = 0;
        int visible = 0;
        for (int y = 0; y < img.GetHeight(); ++y)
            for (int x = 0; x < img.GetWidth(); ++x)
                (img.HasMask() && img.IsTransparent(x, y) ? transparent : visible)++;
        if (c.masked) {
            // The corner is background; the picture itself is there and not see-through.
            EXPECT_TRUE(img.IsTransparent(0, 0));
            EXPECT_GT(visible, 60);
            EXPECT_GT(transparent, 20);
        } else {
            EXPECT_EQ(transparent, 0);
        }
    }
    EXPECT_FALSE(LoadResBitmap(IDB_GETPLAYER + 1000).IsOk());
}

TEST(Pictures, AppIconHasEverySize) {
    const wxIconBundle icons = LoadAppIcon();
    ASSERT_EQ(icons.GetIconCount(), 5u);
    for (int size : {16, 32, 48, 128, 256}) {
        const wxIcon icon = icons.GetIcon(size, wxIconBundle::FALLBACK_NONE);
        ASSERT_TRUE(icon.IsOk()) << size;
        EXPECT_EQ(icon.GetWidth(), size);
        EXPECT_EQ(icon.GetHeight(), size);
    }
}
