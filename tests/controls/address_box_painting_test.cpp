#include <gtest/gtest.h>

#include "controls/address_box.h"
#include "controls/address_icons.h"
#include "controls/typed_urls.h"
#include "form_fixture.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

COLORREF Rgb(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

// The shared objects the unit made at start, and the address box painting with them.
class AddressBoxPainting : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    IconTempDir = temp;
    IconShortcutFile = IconTempDir + L"$tmp$.url";
    RegDeleteKeyW(HKEY_CURRENT_USER, TypedURLsKey);
    saved_.Assign(AddressIcon.get());
  }
  void TearDown() override {
    AddressIcon->Assign(&saved_);
    FormTest::TearDown();
  }

  TBitmap saved_;
};

}  // namespace

TEST_F(AddressBoxPainting, UnitMadeTheSharedImagesAndBitmaps) {
  SHFILEINFOW info{};
  const auto systemList =
      reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  ASSERT_TRUE(AddressImages);
  EXPECT_EQ(AddressImages->Handle(), systemList);
  EXPECT_TRUE(AddressImages->ShareImages());
  EXPECT_EQ(AddressImages->Width(), 16);
  EXPECT_EQ(AddressIconSize, 16);
  EXPECT_EQ(DefaultPageIconIndex, GetURLIconIndex(L"*.htm", false));
  EXPECT_GE(AppFolderIconIndex, 0);
  ASSERT_TRUE(LogoBitmap);
  EXPECT_EQ(LogoBitmap->Width(), 64);
  EXPECT_EQ(LogoBitmap->Height(), 16);
  ASSERT_TRUE(ItemBitmap);

  EXPECT_FALSE(GetAddressIconBitmap(nullptr));
  TBitmap icon;
  ASSERT_TRUE(GetAddressIconBitmap(&icon));
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.Height(), 16);
  // The default page icon on the window colour: what the unit put into AddressIcon at start.
  int same = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) same += icon.Canvas()->Pixels(x, y) == saved_.Canvas()->Pixels(x, y);
  EXPECT_EQ(same, 256);
}

TEST_F(AddressBoxPainting, ThePageIconOrTheDefaultIconLeftOfTheText) {
  auto* box = Make<TAddressBox>({10, 10, 300, 32});
  box->HandleNeeded();
  // The page icon: blue with one pixel of the colour left out.
  AddressIcon->Canvas()->Brush()->SetColor(clBlue);
  AddressIcon->Canvas()->FillRect(RECT{0, 0, 16, 16});
  AddressIcon->Canvas()->SetPixels(5, 5, static_cast<TColor>(0x3F3F3F));
  box->SetUseAddressIcon(true);
  TWindowCapture page = TWindowCapture::OfWindow(box->Handle());
  KeepCaptureForViewing(page, L"address_box_page_icon");
  EXPECT_EQ(page.Pixel(4 + 8, 3 + 8), RGB(0, 0, 255));
  EXPECT_NE(page.Pixel(4 + 5, 3 + 5), RGB(0x3F, 0x3F, 0x3F));
  EXPECT_NE(page.Pixel(4 + 5, 3 + 5), RGB(0, 0, 255));

  box->SetIconLeft(6);
  box->SetUseAddressIcon(false);
  TWindowCapture standard = TWindowCapture::OfWindow(box->Handle());
  KeepCaptureForViewing(standard, L"address_box_default_icon");
  EXPECT_EQ(standard.Pixel(6 + 8, 3 + 8) == RGB(0, 0, 255), false);
  EXPECT_EQ(standard.Pixel(6, 3), Rgb(box->Canvas()->Brush()->Color())) << "the icon sits at (1, 1) of its square";
}

TEST_F(AddressBoxPainting, ListItemsShowTheirAddressesWithIcons) {
  auto* box = Make<TAddressBox>({10, 10, 300, 32});
  box->Items()->Add(L"http://first.example/");
  box->Items()->Add(L"about:blank");
  box->SetDroppedDown(true);
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(box->Handle(), &info));
  TWindowCapture list = TWindowCapture::OfWindow(info.hwndList);
  KeepCaptureForViewing(list, L"address_box_list");
  box->SetDroppedDown(false);
  // Text starts at 22 within each 16-pixel row; the first item is selected or not, either way it has text.
  const RECT firstText{22, 0, list.Width(), 16};
  const RECT gap{17, 0, 21, 32};
  EXPECT_GT(list.CountPixels(RGB(0, 0, 0), &firstText) + list.CountPixels(Rgb(clHighlightText), &firstText), 10);
  EXPECT_EQ(list.CountPixels(RGB(0, 0, 0), &gap), 0);
}
