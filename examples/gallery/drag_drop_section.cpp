#include "drag_drop_section.h"

#include <fstream>
#include <memory>

#include "framework/win_control.h"
#include "shell/dragdrop/file_formats.h"
#include "shell/dragdrop/url_drop_components.h"

using namespace shell;

namespace {

// A framed tile with a caption; a drag that starts on it runs its drop source.
class TDragTile : public TCustomControl {
  BC_CLASS(TDragTile, TCustomControl)
  TDragTile(TComponent* owner, TCustomDropSource* source) : TCustomControl(owner), source_(source) {
    SetColor(clWindow);
  }

 protected:
  TRaised MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    if (TCustomControl::MouseDown(button, shift, x, y).Gone()) return TRaised(false);
    POINT screen{x, y};
    ::ClientToScreen(Handle(), &screen);
    if (button == TMouseButton::mbLeft && DragDetect(Handle(), screen)) source_->Execute();
    return TRaised(true);
  }
  TRaised Paint() override {
    RECT client = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(client);
    DrawEdge(Canvas()->Handle(), &client, EDGE_ETCHED, BF_RECT);
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Font()->SetColor(clWindowText);
    const String caption = Caption();
    DrawTextW(Canvas()->Handle(), caption.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return TRaised(true);
  }

 private:
  TCustomDropSource* source_;
};

// Lists what the last drop brought.
class TDropPlace : public TCustomControl {
  BC_CLASS(TDropPlace, TCustomControl)
  explicit TDropPlace(TComponent* owner) : TCustomControl(owner) {
    SetColor(clInfoBk);
    (void)SetCaption(L"Drop files or web addresses here");
  }

 protected:
  TRaised Paint() override {
    RECT client = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(client);
    DrawEdge(Canvas()->Handle(), &client, EDGE_SUNKEN, BF_RECT);
    InflateRect(&client, -8, -6);
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Font()->SetColor(clInfoText);
    const String caption = Caption();
    DrawTextW(Canvas()->Handle(), caption.c_str(), -1, &client, DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
    return TRaised(true);
  }
};

// A drop source of file names.
class TFileDragSource : public TCustomDropMultiSource {
  BC_CLASS(TFileDragSource, TCustomDropMultiSource)
  explicit TFileDragSource(TComponent* owner)
      : TCustomDropMultiSource(owner), files_(std::make_unique<TFileDataFormat>(this)) {
    SetDragTypes({TDragType::dtCopy, TDragType::dtLink});
  }
  TStringList& Files() { return files_->Files(); }

 private:
  std::unique_ptr<TFileDataFormat> files_;
};

// A drop target that reads file names and web addresses.
class TFileAndAddressTarget : public TCustomDropMultiTarget {
  BC_CLASS(TFileAndAddressTarget, TCustomDropMultiTarget)
  explicit TFileAndAddressTarget(TComponent* owner)
      : TCustomDropMultiTarget(owner),
        files_(std::make_unique<TFileDataFormat>(this)),
        address_(std::make_unique<TURLDataFormat>(this)) {
    SetDragtypes({TDragType::dtCopy, TDragType::dtLink});
  }
  ~TFileAndAddressTarget() override { RetireTransfer(); }
  // Valid inside OnDrop.
  TStringList& Files() { return files_->Files(); }
  const String& Address() const { return address_->URL(); }

 private:
  std::unique_ptr<TFileDataFormat> files_;
  std::unique_ptr<TURLDataFormat> address_;
};

// A small text file in the temporary folder, so that there is a real file to drag.
String SampleFile() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const String file = String(folder) + L"gallery-sample.txt";
  std::ofstream(file.c_str(), std::ios::binary) << "A file dragged out of the component gallery.\r\n";
  return file;
}

}  // namespace

int BuildDragDropSection(TWinControl* host) {
  auto* fileSource = new TFileDragSource(host);
  fileSource->Files().Add(SampleFile());
  auto* fileTile = new TDragTile(host, fileSource);
  if (fileTile->SetBounds(10, 8, 185, 40).Gone() || fileTile->SetCaption(L"Drag this file").Gone()) return 0;
  fileTile->SetHint(fileSource->Files().Strings(0));
  if (fileTile->SetParent(host).Gone()) return 0;

  auto* urlSource = new TDropURLSource(host);
  if (urlSource->SetURL(L"http://www.example.com/gallery").Gone() ||
      urlSource->SetTitle(L"The component gallery").Gone())
    return 0;
  auto* urlTile = new TDragTile(host, urlSource);
  if (urlTile->SetBounds(10, 56, 185, 40).Gone() || urlTile->SetCaption(L"Drag this web address").Gone()) return 0;
  urlTile->SetHint(urlSource->URL());
  if (urlTile->SetParent(host).Gone()) return 0;

  auto* place = new TDropPlace(host);
  if (place->SetBounds(205, 8, 385, 88).Gone() || place->SetParent(host).Gone()) return 0;
  auto* target = new TFileAndAddressTarget(host);
  target->OnDrop = [place, target](TObject*, TShiftState, POINT, DWORD&) {
    String text;
    if (!target->Address().empty()) text = L"Address: " + target->Address() + L"\r\n";
    for (int i = 0; i < target->Files().Count(); ++i) text += L"File: " + target->Files().Strings(i) + L"\r\n";
    if (place->SetCaption(text.empty() ? String(L"The drop held nothing this place reads") : text).Gone()) return;
    place->Invalidate();
  };
  if (target->RegisterTargetControl(place).Gone()) return 0;
  return 104;
}
