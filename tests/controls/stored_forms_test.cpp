#include <gtest/gtest.h>

#include "controls/address_box.h"
#include "controls/picture_button.h"
#include "controls/tab_button.h"
#include "controls/text_holder.h"
#include "framework/form.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"

using namespace controls;

TEST(StoredForms, WindowControlsTravelWithTheirForm) {
  TForm source(nullptr);
  source.SetName(L"Main");
  auto* address = new TAddressBox(&source);
  address->SetName(L"cbAddress");
  address->SetParent(&source);
  address->SetFileOptions(TFileOptions{TFileOption::UrlHistory, TFileOption::UrlMRU});
  address->SetRegistryUpdate(true);
  address->SetClickToSelectURL(false);
  address->SetDropDownCount(16);
  address->SetIconLeft(5);
  auto* holder = new TTextHolder(&source);
  holder->SetName(L"ErrorPage");
  holder->Strings()->Add(L"<html>%URL%");
  holder->Strings()->Add(L"%ERR%</html>");
  auto* images = new TImageList(&source);
  images->SetName(L"Images1");
  auto* picture = new TPictureButton(&source);
  picture->SetName(L"btnNext");
  picture->SetParent(&source);
  picture->SetImages(images);
  picture->SetImageIndex(2);
  picture->SetIndex(5);
  const String text = ComponentToText(&source);
  EXPECT_EQ(text.find(L"IconTop"), String::npos) << "a default value is not stored";

  TForm target(nullptr);
  ReadComponentFromText(text, &target);
  auto* readAddress = ObjectAs<TAddressBox>(target.FindComponent(L"cbAddress"));
  ASSERT_NE(readAddress, nullptr);
  EXPECT_EQ(readAddress->FileOptions(), (TFileOptions{TFileOption::UrlHistory, TFileOption::UrlMRU}));
  EXPECT_TRUE(readAddress->RegistryUpdate());
  EXPECT_FALSE(readAddress->ClickToSelectURL());
  EXPECT_EQ(readAddress->DropDownCount(), 16);
  EXPECT_EQ(readAddress->IconLeft(), 5);
  EXPECT_EQ(readAddress->IconTop(), 3);
  auto* readHolder = ObjectAs<TTextHolder>(target.FindComponent(L"ErrorPage"));
  ASSERT_NE(readHolder, nullptr);
  EXPECT_EQ(readHolder->Strings()->Text(), L"<html>%URL%\r\n%ERR%</html>\r\n");
  auto* readPicture = ObjectAs<TPictureButton>(target.FindComponent(L"btnNext"));
  ASSERT_NE(readPicture, nullptr);
  EXPECT_EQ(readPicture->Images(), target.FindComponent(L"Images1"));
  EXPECT_EQ(readPicture->ImageIndex(), 2);
  EXPECT_EQ(readPicture->Index(), 5);
  EXPECT_NE(FindClass(L"TTabButton"), nullptr);
  EXPECT_NE(FindClass(L"TAlignComboBox"), nullptr);
  EXPECT_NE(FindClass(L"TAlignEdit"), nullptr);
}
