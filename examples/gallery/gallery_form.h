// The gallery's main form, built from the component sets the way a browser's main window uses them: a menu bar
// and toolbars in docks on its edges (with a tool window, a floating bar, an address box and a list of recent
// pages), menus and short-cuts that run the gallery's commands, a Themes menu that switches the whole form among
// the registered themes, and a page control with one page per component set as its client.
#pragma once

#include <functional>
#include <vector>

#include "framework/form.h"

namespace controls {
class TPcPageControl;
}
namespace toolbars {
class TBarCustomItem;
class TBarCustomToolbar;
class TBarCustomDockableWindow;
class TStyledDock;
class TStyledSwitcher;
}  // namespace toolbars

class TFeedsPage;
class TImageList;
class TStatusLine;
class TTreePage;

class TGalleryForm : public TForm {
  BC_CLASS(TGalleryForm, TForm)
  explicit TGalleryForm(TComponent* owner);

  // Shows the page of that index in the page list; answers false for an index out of range.
  bool ShowPage(int index);
  // Makes the registered theme of that name the one every themed part paints with; false for an unknown name.
  bool SelectTheme(const String& name);
  String ThemeName() const;

  controls::TPcPageControl* Pages() const { return pages_; }
  TFeedsPage* FeedsPage() const { return feedsPage_; }
  TTreePage* TreePage() const { return treePage_; }
  toolbars::TBarCustomToolbar* MenuBar() const { return menuBar_; }
  // The caption of the last command that ran, and what it reported.
  const String& LastCommand() const { return lastCommand_; }
  TStatusLine* Status() const { return status_; }

  TRaised IsShortCut(TMessage& message, bool& handled) override;

 protected:
  TRaised Resize() override;

 private:
  using TCommand = std::function<void()>;
  struct TToolbarToggle {
    toolbars::TBarCustomDockableWindow* Bar;
    toolbars::TBarCustomItem* Item;
  };

  TRaised BuildBars();
  void BuildMenus();
  void BuildStandardBar(toolbars::TStyledDock* dock);
  void BuildAddressBar(toolbars::TStyledDock* dock);
  TRaised BuildLinksBar(toolbars::TStyledDock* dock);
  TRaised BuildFavoritesWindow(toolbars::TStyledDock* dock);
  TRaised BuildFindBar(toolbars::TStyledDock* dock);
  TRaised BuildFloatingBar();
  toolbars::TBarCustomItem* AddMenu(toolbars::TBarCustomItem* parent, const wchar_t* caption);
  toolbars::TBarCustomItem* AddCommand(toolbars::TBarCustomItem* parent, const wchar_t* caption, TCommand command,
                                       int image = -1, TShortCut shortCut = 0);
  void AddSeparator(toolbars::TBarCustomItem* parent);
  void RunCommand(const String& caption, const TCommand& command);
  void Report(const String& text, bool failed = false);
  void SavePicture();
  // Shows the Find bar and opens its box for typing.
  TRaised FindOnPage();
  void SyncThemeItems();
  // The Go to page menu checks the page shown, and its tab is highlighted.
  void MarkActivePage();

  TImageList* images_ = nullptr;
  toolbars::TStyledDock* topDock_ = nullptr;
  toolbars::TBarCustomToolbar* menuBar_ = nullptr;
  toolbars::TBarCustomDockableWindow* floatingBar_ = nullptr;
  toolbars::TBarCustomToolbar* findBar_ = nullptr;
  toolbars::TBarCustomItem* findBox_ = nullptr;
  controls::TPcPageControl* pages_ = nullptr;
  TFeedsPage* feedsPage_ = nullptr;
  TTreePage* treePage_ = nullptr;
  TStatusLine* status_ = nullptr;
  std::vector<toolbars::TBarCustomItem*> themeItems_;
  std::vector<toolbars::TBarCustomItem*> pageItems_;
  std::vector<TToolbarToggle> toolbarToggles_;
  toolbars::TStyledSwitcher* switcher_ = nullptr;
  String lastCommand_;
};
