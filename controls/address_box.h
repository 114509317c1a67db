// TAddressBox: the browser's address box. It keeps the typed-address history in the platform browser's registry
// key, shows the current page's icon left of the text and each list item with the icon of its address, turns on
// the shell's auto-complete for its edit window and reports the chosen address through OnUrlSelected.
#pragma once

#include <memory>

#include "controls/align_controls.h"
#include "framework/set.h"

namespace controls {

enum class TAutoComplete { acDefault, acForceOn, acForceOff };
enum class TAutoSuggest { asDefault, asForceOn, asForceOff };
enum class TFileOption { FileSystem, UrlHistory, UrlMRU };
using TFileOptions = TSet<TFileOption, 3>;

using TOnUrlSelectedEvent = TDelegate<void(TObject* Sender, String Url)>;

// How the box turns on the shell's auto-complete for its edit window; the default loads the shell's light-weight
// utility library and calls its SHAutoComplete. Tests install their own to see the flags, since the platform here
// only has a stub.
using TAutoCompleteCall = void (*)(HWND edit, DWORD flags);
// Installs call (null: the shell's own) and returns the one it replaces.
TAutoCompleteCall SetAutoCompleteCall(TAutoCompleteCall call);

class TCustomAddressBox : public TCustomAlignComboBox {
  BC_CLASS(TCustomAddressBox, TCustomAlignComboBox)
  explicit TCustomAddressBox(TComponent* owner);
  ~TCustomAddressBox() override;

  // The window text; setting it calls OnChange even when the text stays the same. OnChange may free the box: the
  // setters and the history's loading answer whether it outlived the handlers.
  String Text() const { return TCustomAlignComboBox::Text(); }
  [[nodiscard]] TRaised SetText(const String& value);
  // The address last entered, chosen or set.
  const String& URL() const { return url_; }
  [[nodiscard]] TRaised SetURL(const String& url);
  [[nodiscard]] TRaised LoadTypedURLs();
  void SaveTypedURLs();
  // Paints the current page's icon (or the default page icon) left of the text.
  void DrawIcon();
  // The shell auto-complete flags of FileOptions, AutoSuggest and AutoCompleteEx.
  DWORD AutoCompleteFlags() const;

  int IconLeft() const { return iconLeft_; }
  void SetIconLeft(int value) { iconLeft_ = value; }
  int IconTop() const { return iconTop_; }
  void SetIconTop(int value) { iconTop_ = value; }
  const String& DefaultProtocol() const { return defaultProtocol_; }
  void SetDefaultProtocol(const String& value) { defaultProtocol_ = value; }
  bool RegistryUpdate() const { return registryUpdate_; }
  void SetRegistryUpdate(bool value) { registryUpdate_ = value; }
  bool ClickToSelectURL() const { return clickToSelectURL_; }
  void SetClickToSelectURL(bool value) { clickToSelectURL_ = value; }
  TAutoComplete AutoCompleteEx() const { return autoCompleteEx_; }
  void SetAutoCompleteEx(TAutoComplete value) { autoCompleteEx_ = value; }
  TAutoSuggest AutoSuggest() const { return autoSuggest_; }
  void SetAutoSuggest(TAutoSuggest value) { autoSuggest_ = value; }
  TFileOptions FileOptions() const { return fileOptions_; }
  void SetFileOptions(TFileOptions value) { fileOptions_ = value; }
  // Paint AddressIcon (the page's icon) instead of the default page icon.
  bool UseAddressIcon() const { return useAddressIcon_; }
  void SetUseAddressIcon(bool value) { useAddressIcon_ = value; }

  TRaised SetBounds(int left, int top, int width, int height) override;
  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  TRaised Click() override;
  TRaised Loaded() override;

  TOnUrlSelectedEvent OnUrlSelected;

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised CreateWnd() override;
  TRaised Change() override;
  TRaised KeyDown(WORD& key, TShiftState shift) override;
  TRaised DrawItem(int index, const RECT& rect, TOwnerDrawState state) override;

 private:
  [[nodiscard]] TRaised KeyDownWithListClosed(WORD& key);
  [[nodiscard]] TRaised KeyDownWithListOpen(WORD& key, TShiftState shift);
  // Enter: the typed address goes to the top of the list and to OnUrlSelected.
  [[nodiscard]] TRaised EnterTypedAddress();
  void PromoteURL();
  void AdjustEdit();
  void RemoveWindowRegion();
  void PaintAddressIcon(int x, int y, COLORREF transparent);
  void SelectEditText(bool all);
  void CloseList();

  int iconLeft_ = 4;
  int iconTop_ = 3;
  String defaultProtocol_;
  String url_;
  bool registryUpdate_ = false;
  bool clickToSelectURL_ = true;
  TAutoComplete autoCompleteEx_ = TAutoComplete::acDefault;
  TAutoSuggest autoSuggest_ = TAutoSuggest::asDefault;
  TFileOptions fileOptions_;
  std::unique_ptr<TControlCanvas> editCanvas_;
  bool useAddressIcon_ = false;
};

class TAddressBox : public TCustomAddressBox {
  BC_CLASS(TAddressBox, TCustomAddressBox)
  using TCustomAddressBox::TCustomAddressBox;
  const TPublishedTable& PublishedTable() const override;
};

}  // namespace controls
