// The shell page's drag sources and drop place: what the form offers as a file or a web address, the place takes
// and lists, as another program's drop would reach it.
#include <wrl/client.h>

#include <vector>

#include "gallery_fixture.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/drop_target.h"
#include "shell/dragdrop/url_drop_components.h"

using Microsoft::WRL::ComPtr;

namespace {

POINTL CentreOf(TWinControl* control) {
  POINT centre{control->Width() / 2, control->Height() / 2};
  ClientToScreen(control->Handle(), &centre);
  return POINTL{centre.x, centre.y};
}

}  // namespace

TEST_F(GalleryTest, TheShellPageTakesTheFileAndTheAddressItOffers) {
  ASSERT_TRUE(Form()->ShowPage(5));
  Settle();
  const auto sources = OwnedBelow<shell::TCustomDropSource>(Form());
  const auto targets = OwnedBelow<shell::TCustomDropTarget>(Form());
  ASSERT_EQ(sources.size(), 2u);
  ASSERT_EQ(targets.size(), 1u);
  shell::TCustomDropTarget* target = targets[0];
  ASSERT_EQ(target->Targets().size(), 1u);
  TWinControl* place = target->Targets()[0];
  ComPtr<IDropTarget> drop;
  ASSERT_EQ(target->QueryInterface(IID_PPV_ARGS(&drop)), S_OK);
  for (shell::TCustomDropSource* source : sources) {
    ComPtr<IDataObject> data;
    ASSERT_EQ(source->QueryInterface(IID_PPV_ARGS(&data)), S_OK);
    const bool address = ObjectAs<shell::TDropURLSource>(source) != nullptr;
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    ASSERT_EQ(drop->DragEnter(data.Get(), MK_LBUTTON, CentreOf(place), &effect), S_OK);
    EXPECT_NE(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    ASSERT_EQ(drop->Drop(data.Get(), MK_LBUTTON, CentreOf(place), &effect), S_OK);
    const String listed = place->Caption();
    if (address)
      EXPECT_NE(listed.find(L"Address: http://www.example.com/gallery"), String::npos)
          << testing::PrintToString(listed);
    else
      EXPECT_NE(listed.find(L"gallery-sample.txt"), String::npos) << testing::PrintToString(listed);
  }
}
