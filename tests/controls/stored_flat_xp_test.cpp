#include <gtest/gtest.h>

#include "controls/flat_gauge.h"
#include "controls/flat_panel.h"
#include "controls/flat_progress_bar.h"
#include "controls/max_splitter.h"
#include "controls/xp_button.h"
#include "controls/xp_check_box.h"
#include "controls/xp_radio_box.h"
#include "framework/form.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"

using namespace controls;

namespace {

template <class T>
T* Add(TForm* form, const wchar_t* name) {
  auto* control = new T(form);
  control->SetName(name);
  EXPECT_TRUE(control->SetParent(form).Alive());
  return control;
}

}  // namespace

TEST(StoredForms, SplitterFlatAndXPControlsTravelWithTheirForm) {
  TForm source(nullptr);
  source.SetName(L"Main");
  EXPECT_TRUE(source.SetBounds(0, 0, 400, 300).Alive());
  auto* side = Add<TFlatPanel>(&source, L"Side");
  EXPECT_TRUE(side->SetBounds(0, 0, 195, 300).Alive());
  EXPECT_TRUE(side->SetAlign(TAlign::alLeft).Alive());
  side->SetAlignment(TAlignment::taLeftJustify);
  auto* splitter = Add<TMaxSplitter>(&source, L"Splitter");
  EXPECT_TRUE(splitter->SetBounds(195, 0, 5, 300).Alive());
  splitter->SetMinSize(1);
  const String shown = ComponentToText(&source);
  EXPECT_EQ(shown.find(L"RestorePos"), String::npos) << "not stored while the neighbour shows";
  EXPECT_EQ(shown.find(L"ShowButton"), String::npos) << "a default value is not stored";

  EXPECT_TRUE(splitter->SetMaximized(true).Alive());
  auto* gauge = Add<TFlatGauge>(&source, L"Gauge");
  gauge->SetMaxValue(500);
  gauge->SetProgress(321);
  gauge->SetTransparent(true);
  auto* bar = Add<TFlatProgressBar>(&source, L"Bar");
  bar->SetMax(200);
  bar->SetPosition(150);
  bar->SetSmooth(true);
  auto* button = Add<TXP_Button>(&source, L"Search");
  button->SetDefault(true);
  button->SetModalResult(mrOk);
  button->SetPicPos(TPicPos::pLeft);
  auto* box = Add<TXP_CheckBox>(&source, L"Title");
  box->SetChecked(true);
  auto* radio = Add<TXP_RadioBox>(&source, L"Web");
  radio->SetGroupIndex(3);
  const String text = ComponentToText(&source);
  EXPECT_NE(text.find(L"RestorePos = 195"), String::npos) << "stored while collapsed";
  EXPECT_NE(text.find(L"Checked = False"), String::npos) << "Checked is always stored";

  TForm target(nullptr);
  ReadComponentFromText(text, &target);
  auto* readSplitter = ObjectAs<TMaxSplitter>(target.FindComponent(L"Splitter"));
  ASSERT_NE(readSplitter, nullptr);
  EXPECT_TRUE(readSplitter->Maximized());
  EXPECT_EQ(readSplitter->RestorePos(), 195);
  EXPECT_EQ(readSplitter->MinSize(), 1);
  EXPECT_EQ(ObjectAs<TFlatPanel>(target.FindComponent(L"Side"))->Alignment(), TAlignment::taLeftJustify);
  auto* readGauge = ObjectAs<TFlatGauge>(target.FindComponent(L"Gauge"));
  ASSERT_NE(readGauge, nullptr);
  EXPECT_EQ(readGauge->MaxValue(), 500);
  EXPECT_EQ(readGauge->Progress(), 321);
  EXPECT_TRUE(readGauge->Transparent());
  auto* readBar = ObjectAs<TFlatProgressBar>(target.FindComponent(L"Bar"));
  ASSERT_NE(readBar, nullptr);
  EXPECT_EQ(readBar->Position(), 150) << "Max is read before Position";
  EXPECT_TRUE(readBar->Smooth());
  auto* readButton = ObjectAs<TXP_Button>(target.FindComponent(L"Search"));
  ASSERT_NE(readButton, nullptr);
  EXPECT_TRUE(readButton->Default());
  EXPECT_EQ(readButton->ModalResult(), mrOk);
  EXPECT_EQ(readButton->PicPos(), TPicPos::pLeft);
  EXPECT_TRUE(ObjectAs<TXP_CheckBox>(target.FindComponent(L"Title"))->Checked());
  EXPECT_EQ(ObjectAs<TXP_RadioBox>(target.FindComponent(L"Web"))->GroupIndex(), 3);
}
