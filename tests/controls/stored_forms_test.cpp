#include <gtest/gtest.h>

#include "controls/address_box.h"
#include "controls/picture_button.h"
#include "controls/tab_button.h"
#include "controls/text_holder.h"
#include "framework/form.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/menus.h"
#include "framework/properties.h"
#include "framework/text_convert.h"

using namespace controls;

TEST(StoredForms, WindowControlsTravelWithTheirForm) {
  TForm source(nullptr);
  source.SetName(L"Main");
  auto* address = new TAddressBox(&source);
  address->SetName(L"cbAddress");
  EXPECT_TRUE(address->SetParent(&source).Alive());
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
  EXPECT_TRUE(picture->SetParent(&source).Alive());
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

namespace {

// The main window's shape: an address box and a picture button whose events name the form's methods.
class TProbeMainForm : public TForm {
  BC_CLASS(TProbeMainForm, TForm)
  using TForm::TForm;
  void AddressKeyDown(TObject*, WORD&, TShiftState) {}
  void AddressMouseDown(TObject*, TMouseButton, TShiftState, int, int) {}
  void AddressMouseMove(TObject*, TShiftState, int, int) {}
  void ButtonClick(TObject*) {}
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TProbeMainForm>;
    static const TPublishedTable table(&inherited::PublishedTable(), {},
                                       {
                                           P::Method(L"AddressKeyDown", &TProbeMainForm::AddressKeyDown),
                                           P::Method(L"AddressMouseDown", &TProbeMainForm::AddressMouseDown),
                                           P::Method(L"AddressMouseMove", &TProbeMainForm::AddressMouseMove),
                                           P::Method(L"ButtonClick", &TProbeMainForm::ButtonClick),
                                       });
    return table;
  }
};

}  // namespace

TEST(StoredForms, TheMainWindowsSetUpOfComboBoxAndImageIsStored) {
  // The main window's form holds pop-up menus.
  InitializeUnit(MenusUnit());
  TProbeMainForm source(nullptr);
  source.SetName(L"Main");
  auto* menu = new TPopupMenu(&source);
  menu->SetName(L"PageMenu");
  auto* address = new TAddressBox(&source);
  address->SetName(L"cbAddress");
  EXPECT_TRUE(address->SetParent(&source).Alive());
  address->SetAutoComplete(false);
  address->SetAutoDropDown(true);
  address->SetCtl3D(false);
  address->OnKeyDown = TKeyEvent(&source, &TProbeMainForm::AddressKeyDown);
  address->OnMouseDown = TMouseEvent(&source, &TProbeMainForm::AddressMouseDown);
  address->OnMouseMove = TMouseMoveEvent(&source, &TProbeMainForm::AddressMouseMove);
  address->SetPopupMenu(menu);
  auto* button = new TPictureButton(&source);
  button->SetName(L"btnBack");
  EXPECT_TRUE(button->SetParent(&source).Alive());
  button->OnClick = TNotifyEvent(&source, &TProbeMainForm::ButtonClick);
  button->SetPopupMenu(menu);
  button->SetEnabled(false);
  button->SetShowHint(true);
  const String text = ComponentToText(&source);

  TProbeMainForm target(nullptr);
  ReadComponentFromText(text, &target);
  auto* readAddress = ObjectAs<TAddressBox>(target.FindComponent(L"cbAddress"));
  auto* readButton = ObjectAs<TPictureButton>(target.FindComponent(L"btnBack"));
  ASSERT_TRUE(readAddress && readButton) << WideToUtf8(text);
  TComponent* readMenu = target.FindComponent(L"PageMenu");
  EXPECT_FALSE(readAddress->AutoComplete());
  EXPECT_TRUE(readAddress->AutoDropDown());
  EXPECT_FALSE(readAddress->Ctl3D());
  EXPECT_TRUE(readAddress->OnKeyDown == TKeyEvent(&target, &TProbeMainForm::AddressKeyDown));
  EXPECT_TRUE(readAddress->OnMouseDown == TMouseEvent(&target, &TProbeMainForm::AddressMouseDown));
  EXPECT_TRUE(readAddress->OnMouseMove == TMouseMoveEvent(&target, &TProbeMainForm::AddressMouseMove));
  EXPECT_EQ(readAddress->PopupMenu(), readMenu);
  EXPECT_TRUE(readButton->OnClick == TNotifyEvent(&target, &TProbeMainForm::ButtonClick));
  EXPECT_EQ(readButton->PopupMenu(), readMenu);
  EXPECT_FALSE(readButton->Enabled());
  EXPECT_TRUE(readButton->ShowHint());
}
