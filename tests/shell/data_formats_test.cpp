#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "framework/stg_medium.h"
#include "shell/dragdrop/data_format_map.h"
#include "shell/dragdrop/drop_effects.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/internet_text_formats.h"
#include "shell/dragdrop/raw_data_format.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

using Microsoft::WRL::ComPtr;
using namespace shell;

namespace {

class TOrderedFormatA : public TCustomDWORDClipboardFormat {
  BC_CLASS(TOrderedFormatA, TCustomDWORDClipboardFormat)
  TOrderedFormatA() : TCustomDWORDClipboardFormat(RegisteredFormat(L"Test Ordered A")) {}
};
class TOrderedFormatB : public TCustomDWORDClipboardFormat {
  BC_CLASS(TOrderedFormatB, TCustomDWORDClipboardFormat)
  TOrderedFormatB() : TCustomDWORDClipboardFormat(RegisteredFormat(L"Test Ordered B")) {}
};
class TOrderedFormatC : public TCustomDWORDClipboardFormat {
  BC_CLASS(TOrderedFormatC, TCustomDWORDClipboardFormat)
  TOrderedFormatC() : TCustomDWORDClipboardFormat(RegisteredFormat(L"Test Ordered C")) {}
};

class TOrderedDataFormat : public TCustomDataFormat {
  BC_CLASS(TOrderedDataFormat, TCustomDataFormat)
  explicit TOrderedDataFormat(TDragDropComponent* owner) : TCustomDataFormat(owner, StaticClass()) {}
  TRaised Clear() override { return TRaised(true); }
  bool HasData() override { return false; }
};

const TConversionScopes kBoth{TConversionScope::csSource, TConversionScope::csTarget};
const TConversionScopes kTargetOnly{TConversionScope::csTarget};
const TDataDirections kRead{TDataDirection::ddRead};

template <class T>
TClipboardFormatClass Cf() {
  return TClipboardFormatClass::Of<T>();
}

std::vector<const TClass*> ClassesOf(TCustomDataFormat& format) {
  std::vector<const TClass*> classes;
  for (int i = 0; i < format.CompatibleFormats().Count(); ++i)
    classes.push_back(format.CompatibleFormats().Formats(i)->ClassType());
  return classes;
}

class ConversionMap : public TDragDropTest {
 protected:
  void TearDown() override { UnregisterDataFormat(TDataFormatClass::Of<TOrderedDataFormat>()); }
};

TEST_F(ConversionMap, LowerPriorityFirstAndTheLaterOfEqualOnesFirst) {
  auto data = TDataFormatClass::Of<TOrderedDataFormat>();
  RegisterDataConversion(data, Cf<TOrderedFormatA>(), 2, kBoth, kRead);
  RegisterDataConversion(data, Cf<TOrderedFormatB>(), 1, kBoth, kRead);
  RegisterDataConversion(data, Cf<TOrderedFormatC>(), 2, kBoth, kRead);
  TOrderedDataFormat format(nullptr);
  EXPECT_EQ(ClassesOf(format),
            (std::vector<const TClass*>{TOrderedFormatB::StaticClass(), TOrderedFormatC::StaticClass(),
                                        TOrderedFormatA::StaticClass()}));
  // The same pair again merges its sets and moves by its new priority.
  RegisterDataConversion(data, Cf<TOrderedFormatA>(), 0, kBoth, TDataDirections{TDataDirection::ddWrite});
  TOrderedDataFormat again(nullptr);
  ASSERT_EQ(ClassesOf(again).front(), TOrderedFormatA::StaticClass());
  EXPECT_EQ(again.CompatibleFormats().Formats(0)->DataDirections(),
            (TDataDirections{TDataDirection::ddRead, TDataDirection::ddWrite}));
  EXPECT_EQ(again.CompatibleFormats().Formats(0)->DataFormat(), &again);
}

TEST_F(ConversionMap, EachSideGetsItsOwnConversions) {
  auto data = TDataFormatClass::Of<TOrderedDataFormat>();
  RegisterDataConversion(data, Cf<TOrderedFormatA>(), 0, kTargetOnly, kRead);
  RegisterDataConversion(data, Cf<TOrderedFormatB>(), 1, kBoth, kRead);
  TCustomDropMultiSource source(nullptr);
  auto* onSource = new TOrderedDataFormat(&source);
  EXPECT_EQ(ClassesOf(*onSource), (std::vector<const TClass*>{TOrderedFormatB::StaticClass()}));
  EXPECT_GE(source.DataFormats()->IndexOf(onSource), 0);
  TOrderedDataFormat withoutOwner(nullptr);
  EXPECT_EQ(withoutOwner.CompatibleFormats().Count(), 2);
}

TEST_F(ConversionMap, AnOwnerThatHoldsNoDataFormatsIsRefused) {
  TDragDropComponent plain(nullptr);
  try {
    TOrderedDataFormat format(&plain);
    FAIL() << "accepted";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(),
              L"TDragDropComponent is not a valid owner for TOrderedDataFormat. Owner must be derived from "
              L"TCustomDropMultiSource or TCustomDropMultiTarget");
  }
}

TEST_F(ConversionMap, TextTravelsInTheGenericFormatsInPriorityOrder) {
  TTextDataFormat onTarget(nullptr);
  // The mail and HTML conversions come from the address unit, registered after the generic ones.
  EXPECT_EQ(
      ClassesOf(onTarget),
      (std::vector<const TClass*>{TTextClipboardFormat::StaticClass(), TRFC822ClipboardFormat::StaticClass(),
                                  TFileContentsClipboardFormat::StaticClass(), THTMLClipboardFormat::StaticClass()}));
  TCustomDropMultiSource source(nullptr);
  auto* onSource = new TTextDataFormat(&source);
  EXPECT_EQ(ClassesOf(*onSource),
            (std::vector<const TClass*>{
                TTextClipboardFormat::StaticClass(), TRFC822ClipboardFormat::StaticClass(),
                TFileGroupDescritorWClipboardFormat::StaticClass(), TFileGroupDescritorClipboardFormat::StaticClass(),
                TFileContentsClipboardFormat::StaticClass(), THTMLClipboardFormat::StaticClass()}));
}

using DataFormats = TDragDropTest;

TEST_F(DataFormats, AFormatWithATargetDeviceOrNoCommonMediumIsRefused) {
  TTextClipboardFormat text;
  DVTARGETDEVICE device{};
  struct TCase {
    FORMATETC Format;
    bool Accepted;
  } cases[] = {
      {{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, true},
      {{CF_TEXT, nullptr, DVASPECT_CONTENT, 3, TYMED_ISTREAM | TYMED_GDI}, true},
      {{CF_TEXT, &device, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, false},
      {{CF_TEXT, nullptr, DVASPECT_ICON, -1, TYMED_HGLOBAL}, false},
      {{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI}, false},
      {{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, false},
  };
  for (const TCase& c : cases) EXPECT_EQ(text.AcceptFormat(c.Format), c.Accepted) << c.Format.lindex;
}

TEST_F(DataFormats, ReadingStopsAtTheFirstFormatThatYieldsData) {
  ComPtr<TTestDataObject> data(new TTestDataObject);
  data->Add(CF_TEXT, std::string("first\0", 6));
  data->Add(FormatId(L"FileContents"), std::string("second\0", 7), 0);
  TTextDataFormat text(nullptr);
  ASSERT_TRUE(text.HasValidFormats(data.Get()));
  ASSERT_TRUE(text.GetData(data.Get()));
  EXPECT_EQ(text.Text(), "first");
  EXPECT_EQ(data->Requested(), std::vector<CLIPFORMAT>{CF_TEXT});
}

TEST_F(DataFormats, ModifierKeysChooseTheEffect) {
  using S = TShiftStateItem;
  const DWORD copy = DROPEFFECT_COPY, move = DROPEFFECT_MOVE, link = DROPEFFECT_LINK;
  struct TCase {
    TShiftState Keys;
    DWORD Allowed;
    bool FallBack;
    DWORD Effect;
  } cases[] = {
      {{}, copy | move | link, false, move},
      {{S::ssCtrl}, copy | move | link, false, copy},
      {{S::ssShift}, copy | move | link, false, move},
      {{S::ssShift, S::ssCtrl}, copy | move | link, false, link},
      {{S::ssShift, S::ssCtrl}, copy, true, copy},
      {{S::ssShift, S::ssCtrl}, copy, false, 0},
      {{S::ssShift, S::ssCtrl}, copy | move, true, copy},
      {{}, link, true, link},
      {{S::ssAlt}, copy | link, true, copy},
      {{}, 0, true, 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ShiftStateToDropEffect(c.Keys, c.Allowed, c.FallBack), c.Effect) << c.Allowed << " " << c.FallBack;

  struct TTypeCase {
    DWORD Effect;
    bool Known;
    TDragType Type;
    TDragResult Result;
  } types[] = {
      {copy | move, true, TDragType::dtCopy, TDragResult::drUnknown},
      {move, true, TDragType::dtMove, TDragResult::drDropMove},
      {link, true, TDragType::dtLink, TDragResult::drDropLink},
      {DROPEFFECT_NONE, false, TDragType::dtCopy, TDragResult::drCancel},
      {DROPEFFECT_SCROLL, false, TDragType::dtCopy, TDragResult::drUnknown},
  };
  for (const TTypeCase& c : types) {
    TDragType type = TDragType::dtLink;
    EXPECT_EQ(DropEffectToDragType(c.Effect, type), c.Known) << c.Effect;
    EXPECT_EQ(type, c.Type) << c.Effect;
    EXPECT_EQ(DropEffectToDragResult(c.Effect), c.Result) << c.Effect;
  }
  EXPECT_EQ(DragKeysToShiftState(MK_ALT | MK_LBUTTON), (TShiftState{S::ssAlt, S::ssLeft}));
}

}  // namespace
