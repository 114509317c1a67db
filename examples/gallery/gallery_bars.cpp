// The gallery form's docks, bars, tool window and menus, and the commands they run.
#include <cwctype>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "controls/tabs/page_control.h"
#include "feeds_page.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "gallery_form.h"
#include "gallery_images.h"
#include "gallery_pages.h"
#include "sample_lost.h"
#include "status_line.h"
#include "toolbars/styled/custom_list.h"
#include "toolbars/styled/styled_dock.h"
#include "toolbars/styled/styled_edit_item.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/styled/styled_switcher.h"
#include "toolbars/styled/styled_tool_window.h"
#include "toolbars/styled/styled_toolbar.h"
#include "toolbars/theme/theme_registry.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"
#include "tree/string_tree.h"
#include "tree_page.h"

using namespace toolbars;

namespace {

constexpr int kAddressWidth = 260;
// Floated, the links wrap here into a block of a few rows, rather than a strip as long as all of them.
constexpr int kLinksFloatingWidth = 330;

// The pages visited last, newest first: what the Back button's list offers.
class TRecentPagesList : public TStyledCustomList {
  BC_CLASS(TRecentPagesList, TStyledCustomList)
  explicit TRecentPagesList(TComponent* owner) : TStyledCustomList(owner) {}

  std::vector<String> Entries{
      L"Front page - news of the day", L"Weather for the week ahead", L"Release notes of the component sets",
      L"A feed of old news",           L"Maps of the old town",       L"Questions and answers"};

  void GetItemText(int index, String& text) override { text = Entries[static_cast<size_t>(index)]; }
  int GetCount() override { return static_cast<int>(Entries.size()); }
};

// The caption with an access key that no other item of its menu has (used holds theirs, upper case, and gains
// this one's): the first letter that starts a word, else any letter, not yet taken.
String WithAccessKey(const String& caption, std::set<wchar_t>& used) {
  size_t chosen = String::npos;
  for (bool wordStartsOnly : {true, false}) {
    for (size_t i = 0; i < caption.size() && chosen == String::npos; ++i) {
      const bool wordStart = i == 0 || caption[i - 1] == L' ';
      if (std::iswalpha(caption[i]) && (wordStart || !wordStartsOnly) && !used.count(std::towupper(caption[i])))
        chosen = i;
    }
  }
  String marked;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (i == chosen) marked += L'&';
    // A literal '&' of the caption stays one.
    if (caption[i] == L'&') marked += L'&';
    marked += caption[i];
  }
  if (chosen != String::npos) used.insert(static_cast<wchar_t>(std::towupper(caption[chosen])));
  return marked;
}

TStyledDock* MakeDock(TGalleryForm* form, TBarDockPosition position) {
  auto* dock = new TStyledDock(form);
  if (dock->SetPosition(position).Gone() || dock->SetParent(form).Gone()) SampleLost();
  return dock;
}

template <class TBar>
TBar* MakeBar(TGalleryForm* form, const wchar_t* caption, TStyledDock* dock, int row, int pos) {
  auto* bar = new TBar(form);
  if (bar->SetCaption(caption).Gone() || bar->SetDockRow(row).Gone() || bar->SetDockPos(pos).Gone() ||
      bar->SetCurrentDock(dock).Gone())
    SampleLost();
  return bar;
}

TStyledItem* AddButton(TComponent* owner, TBarCustomItem* parent, const wchar_t* caption, int image,
                       bool withCaption = false) {
  auto* item = new TStyledItem(owner);
  item->SetCaption(caption);
  item->SetImageIndex(image);
  item->SetHint(caption);
  if (withCaption) item->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  parent->Add(item);
  return item;
}

}  // namespace

TBarCustomItem* TGalleryForm::AddMenu(TBarCustomItem* parent, const wchar_t* caption) {
  auto* menu = new TStyledSubmenuItem(this);
  menu->SetCaption(caption);
  parent->Add(menu);
  return menu;
}

TBarCustomItem* TGalleryForm::AddCommand(TBarCustomItem* parent, const wchar_t* caption, TCommand command, int image,
                                         TShortCut shortCut) {
  auto* item = new TStyledItem(this);
  item->SetCaption(caption);
  item->SetImageIndex(image);
  item->SetShortCut(shortCut);
  const String name = StripHotkey(caption);
  item->OnClick = [this, name, command](TObject*) { RunCommand(name, command); };
  parent->Add(item);
  return item;
}

void TGalleryForm::AddSeparator(TBarCustomItem* parent) { parent->Add(new TStyledSeparatorItem(this)); }

TRaised TGalleryForm::BuildBars() {
  images_ = MakeGalleryImages(this);
  topDock_ = MakeDock(this, TBarDockPosition::dpTop);
  TStyledDock* bottomDock = MakeDock(this, TBarDockPosition::dpBottom);
  TStyledDock* leftDock = MakeDock(this, TBarDockPosition::dpLeft);
  MakeDock(this, TBarDockPosition::dpRight);

  menuBar_ = MakeBar<TStyledToolbar>(this, L"Menu bar", topDock_, 0, 0);
  if (menuBar_->SetMenuBar(true).Gone()) return TRaised(false);
  menuBar_->SetImages(images_);
  menuBar_->Items()->SetSubMenuImages(images_);
  BuildStandardBar(topDock_);
  BuildAddressBar(topDock_);
  if (BuildLinksBar(topDock_).Gone()) return TRaised(false);
  if (BuildFavoritesWindow(leftDock).Gone()) return TRaised(false);
  if (BuildFindBar(bottomDock).Gone()) return TRaised(false);
  if (BuildFloatingBar().Gone()) return TRaised(false);
  BuildMenus();
  return TRaised(true);
}

void TGalleryForm::BuildStandardBar(TStyledDock* dock) {
  auto* bar = MakeBar<TStyledToolbar>(this, L"Standard", dock, 1, 0);
  bar->SetImages(images_);
  TBarCustomItem* items = bar->Items();
  auto* back = new TStyledSubmenuItem(this);
  back->SetCaption(L"&Back");
  back->SetImageIndex(giBack);
  back->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  back->SetDropdownCombo(true);
  back->OnClick = [this](TObject*) { RunCommand(L"Back", [this] { Report(L"Back to the page before"); }); };
  auto* recent = new TRecentPagesList(this);
  recent->OnChange = [this, recent](TObject*) {
    RunCommand(L"Back", [this, recent] {
      Report(L"Back to \"" + recent->Entries[static_cast<size_t>(std::max(recent->ItemIndex(), 0))] + L"\"");
    });
  };
  back->Add(recent);
  items->Add(back);
  // Never enabled here, so it claims no access key.
  AddButton(this, items, L"Forward", giForward)->SetEnabled(false);
  // Their keys work only while their captions show.
  AddButton(this, items, L"&Stop", giStop, true)->OnClick = [this](TObject*) {
    RunCommand(L"Stop", [this] { Report(L"Stopped"); });
  };
  AddButton(this, items, L"&Reload", giReload, true)->OnClick = [this](TObject*) {
    RunCommand(L"Reload", [this] { feedsPage_->LoadSample(TSampleFeed::sfRSS); });
  };
  // Alt+H is the Help menu's.
  AddButton(this, items, L"Ho&me", giHome, true)->OnClick = [this](TObject*) {
    RunCommand(L"Home", [this] { ShowPage(0); });
  };
  AddSeparator(items);
  AddButton(this, items, L"Feeds", giFeed, true)->OnClick = [this](TObject*) {
    RunCommand(L"Feeds", [this] { ShowPage(FindGalleryPage(L"feeds")); });
  };
  AddButton(this, items, L"Tree", giTree, true)->OnClick = [this](TObject*) {
    RunCommand(L"Tree", [this] { ShowPage(FindGalleryPage(L"tree")); });
  };
  AddButton(this, items, L"Picture", giPicture)->OnClick = [this](TObject*) {
    RunCommand(L"Picture", [this] { SavePicture(); });
  };
  toolbarToggles_.push_back({bar, nullptr});
}

TRaised TGalleryForm::BuildLinksBar(TStyledDock* dock) {
  // More links than the row has room for: the rest waits behind the chevron.
  auto* bar = MakeBar<TStyledToolbar>(this, L"Links", dock, 2, 700);
  bar->SetImages(images_);
  if (bar->SetFloatingRightX(kLinksFloatingWidth).Gone()) return TRaised(false);
  for (const wchar_t* caption :
       {L"News", L"Weather", L"Sports", L"Mail", L"Maps", L"Music", L"Books", L"Games", L"Films", L"Travel", L"Recipes",
        L"Gardens", L"Photos", L"Radio", L"Shops", L"Homes"}) {
    const String name = caption;
    AddButton(this, bar->Items(), caption, giLink, true)->OnClick = [this, name](TObject*) {
      RunCommand(name, [this, name] { Report(L"Would open the " + name + L" link"); });
    };
  }
  toolbarToggles_.push_back({bar, nullptr});
  return TRaised(true);
}

void TGalleryForm::BuildAddressBar(TStyledDock* dock) {
  auto* bar = MakeBar<TStyledToolbar>(this, L"Address", dock, 2, 0);
  bar->SetImages(images_);
  auto* address = new TStyledEditItem(this);
  address->SetEditCaption(L"Address");
  // A dock keeps a bar's first item whole: the box is short enough for a window as narrow as the form allows,
  // with Go behind the chevron there.
  address->SetEditWidth(kAddressWidth);
  address->SetText(L"http://www.example.com/gallery");
  address->SetImageIndex(giLink);
  address->SetShowImage(true);
  address->OnAcceptText = [this](TObject*, String& text, bool& accept) {
    accept = true;
    const String typed = text;
    RunCommand(L"Go", [this, typed] { Report(L"Would open " + typed); });
  };
  bar->Items()->Add(address);
  AddButton(this, bar->Items(), L"&Go", giForward, true)->OnClick = [this, address](TObject*) {
    RunCommand(L"Go", [this, address] { Report(L"Would open " + address->Text()); });
  };
  toolbarToggles_.push_back({bar, nullptr});
}

TRaised TGalleryForm::BuildFavoritesWindow(TStyledDock* dock) {
  auto* window = MakeBar<TStyledToolWindow>(this, L"Favorites", dock, 0, 0);
  if (window->SetCloseButtonWhenDocked(true).Gone() || window->SetClientAreaSize(180, 300).Gone())
    return TRaised(false);
  auto* list = new tree::TStringTree(this);
  if (list->SetAlign(TAlign::alClient).Gone()) return TRaised(false);
  list->SetBorderStyle(TBorderStyle::bsNone);
  static const wchar_t* const kFavorites[] = {L"Front page",    L"Weather",       L"Old news feed",
                                              L"The tree page", L"Release notes", L"Maps of the old town"};
  static constexpr std::uint32_t kFeedFavorite = 2;
  static constexpr std::uint32_t kTreeFavorite = 3;
  list->OnGetText = [](tree::TBaseTree*, tree::PTreeNode node, tree::TColumnIndex, tree::TVSTTextType, String& text) {
    text = kFavorites[node->Index];
  };
  // Choosing a favorite opens it: the two that name pages of the gallery show them, the others say so.
  list->OnFocusChanged = [this](tree::TBaseTree*, tree::PTreeNode node, tree::TColumnIndex) {
    if (!node) return;
    const String name = kFavorites[node->Index];
    RunCommand(name, [this, name, index = node->Index] {
      const int page = index == kFeedFavorite   ? FindGalleryPage(L"feeds")
                       : index == kTreeFavorite ? FindGalleryPage(L"tree")
                                                : -1;
      if (page >= 0)
        ShowPage(page);
      else
        Report(L"Would open the favorite \"" + name + L"\"");
    });
  };
  if (list->SetParent(window).Gone()) return TRaised(false);
  if (list->SetRootNodeCount(static_cast<std::uint32_t>(std::size(kFavorites))).Gone()) return TRaised(false);
  toolbarToggles_.push_back({window, nullptr});
  return TRaised(true);
}

TRaised TGalleryForm::BuildFindBar(TStyledDock* dock) {
  auto* bar = MakeBar<TStyledToolbar>(this, L"Find", dock, 0, 0);
  if (bar->SetCloseButtonWhenDocked(true).Gone()) return TRaised(false);
  bar->SetImages(images_);
  auto* find = new TStyledEditItem(this);
  find->SetEditCaption(L"Find on this page:");
  find->SetEditWidth(220);
  find->OnAcceptText = [this](TObject*, String& text, bool& accept) {
    accept = true;
    const String typed = text;
    RunCommand(L"Find", [this, typed] { Report(L"Would look for \"" + typed + L"\" on this page"); });
  };
  bar->Items()->Add(find);
  // Alt+N is the News choice's on the window-controls page, Alt+H the Help menu's.
  for (const wchar_t* caption : {L"Ne&xt", L"&Previous", L"Highlight &all"}) {
    const String name = StripHotkey(caption);
    AddButton(this, bar->Items(), caption, -1, true)->OnClick = [this, name, find](TObject*) {
      RunCommand(name, [this, name, find] { Report(name + L": \"" + find->Text() + L"\""); });
    };
  }
  toolbarToggles_.push_back({bar, nullptr});
  findBar_ = bar;
  findBox_ = find;
  return TRaised(true);
}

TRaised TGalleryForm::BuildFloatingBar() {
  auto* bar = new TStyledToolbar(this);
  if (bar->SetCaption(L"Tools").Gone()) return TRaised(false);
  bar->SetImages(images_);
  bar->SetCloseButton(true);
  for (auto [caption, image] : {std::pair{L"Favorite", giFavorite}, std::pair{L"Feed", giFeed},
                                std::pair{L"Picture", giPicture}, std::pair{L"Tree", giTree}}) {
    const String name = caption;
    AddButton(this, bar->Items(), caption, image)->OnClick = [this, name](TObject*) {
      RunCommand(name, [this, name] { Report(L"The floating bar's " + name + L" button"); });
    };
  }
  if (bar->SetParent(this).Gone()) return TRaised(false);
  // Where a double click on its caption docks it.
  bar->SetDefaultDock(topDock_);
  if (bar->FloatOrDock(true).Gone() || bar->PlaceFloating(POINT{Left() + Width() - 260, Top() + Height() - 140}).Gone())
    return TRaised(false);
  floatingBar_ = bar;
  toolbarToggles_.push_back({bar, nullptr});
  return TRaised(true);
}

void TGalleryForm::BuildMenus() {
  TBarCustomItem* root = menuBar_->Items();

  TBarCustomItem* file = AddMenu(root, L"&File");
  TBarCustomItem* open = AddMenu(file, L"&Open sample feed");
  open->SetImageIndex(giFeed);
  for (auto [caption, sample] :
       {std::pair{L"&RSS sample", TSampleFeed::sfRSS}, std::pair{L"&Atom sample", TSampleFeed::sfAtom},
        std::pair{L"&Hostile feed", TSampleFeed::sfHostile}}) {
    AddCommand(open, caption, [this, sample = sample] {
      ShowPage(FindGalleryPage(L"feeds"));
      feedsPage_->LoadSample(sample);
    });
  }
  TBarCustomItem* exports = AddMenu(file, L"&Export collected rows");
  exports->SetImageIndex(giTree);
  for (auto [caption, format] :
       {std::pair{L"As &text", TTreeExport::teText}, std::pair{L"As &HTML", TTreeExport::teHtml},
        std::pair{L"As &RTF", TTreeExport::teRtf}}) {
    AddCommand(exports, caption, [this, format = format] {
      ShowPage(FindGalleryPage(L"tree"));
      const TLifeWatch life = LifeWatch();
      // The command's last act: the report follows an export that kept the form.
      if (AnswerFor(life, treePage_->Export(format)).Alive()) Report(L"Exported the collected rows");
    });
  }
  AddSeparator(file);
  AddCommand(
      file, L"Save a &picture of the window", [this] { SavePicture(); }, giPicture,
      ShortCut(L'P', {TShiftStateItem::ssCtrl}));
  AddSeparator(file);
  AddCommand(
      file, L"E&xit",
      [this] {
        // The command's last act.
        (void)Close();
      },
      -1, ShortCut(L'Q', {TShiftStateItem::ssCtrl}));

  TBarCustomItem* edit = AddMenu(root, L"&Edit");
  AddCommand(
      edit, L"&Copy selected rows",
      [this] {
        ShowPage(FindGalleryPage(L"tree"));
        treePage_->LargeTree()->CopyToClipboard();
        Report(L"Copied " + std::to_wstring(treePage_->LargeTree()->SelectedCount()) + L" rows");
      },
      -1, ShortCut(L'C', {TShiftStateItem::ssCtrl, TShiftStateItem::ssShift}));
  AddCommand(edit, L"&Select every folder", [this] {
    ShowPage(FindGalleryPage(L"tree"));
    tree::TStringTree* tree = treePage_->LargeTree();
    std::vector<tree::PTreeNode> folders;
    for (tree::PTreeNode node = tree->GetFirst(); node; node = tree->GetNextSibling(node)) folders.push_back(node);
    Report(L"Selected " + std::to_wstring(folders.size()) + L" rows");
    // The command's last act: OnChange may free the tree.
    if (tree->ClearSelection().Alive()) (void)tree->AddToSelection(folders);
  });
  AddSeparator(edit);
  AddCommand(
      edit, L"&Find on this page...",
      [this] {
        // The command's last act.
        (void)FindOnPage();
      },
      -1, ShortCut(L'F', {TShiftStateItem::ssCtrl}));

  TBarCustomItem* view = AddMenu(root, L"&View");
  TBarCustomItem* bars = AddMenu(view, L"&Toolbars");
  std::set<wchar_t> barKeys;
  for (TToolbarToggle& toggle : toolbarToggles_) {
    TBarCustomDockableWindow* bar = toggle.Bar;
    TBarCustomItem* item = AddCommand(bars, WithAccessKey(bar->Caption(), barKeys).c_str(), [this, bar] {
      // The command's last act: a bar that outlived its handlers is reported.
      if (bar->SetVisible(!bar->Visible()).Alive()) Report(bar->Caption() + (bar->Visible() ? L" shown" : L" hidden"));
    });
    toggle.Item = item;
    // However the bar comes or goes (this item, its close button), the check says whether it shows.
    item->SetChecked(bar->Visible());
    bar->OnVisibleChanged = [bar, item](TObject*) { item->SetChecked(bar->Visible()); };
  }
  TBarCustomItem* pages = AddMenu(view, L"&Go to page");
  const auto& pageList = GalleryPages();
  std::set<wchar_t> pageKeys;
  for (size_t i = 0; i < pageList.size(); ++i) {
    const int index = static_cast<int>(i);
    TBarCustomItem* item = AddCommand(
        pages, WithAccessKey(pageList[i].Caption, pageKeys).c_str(), [this, index] { ShowPage(index); }, -1,
        ShortCut(static_cast<WORD>(L'1' + i), {TShiftStateItem::ssCtrl}));
    item->SetGroupIndex(1);
    pageItems_.push_back(item);
  }
  AddSeparator(view);
  auto* statusItem = new TStyledItem(this);
  statusItem->SetCaption(L"&Status line");
  view->Add(statusItem);
  statusItem->SetChecked(true);
  statusItem->OnClick = [this, statusItem](TObject*) {
    RunCommand(L"Status line", [this, statusItem] {
      const bool show = !status_->Visible();
      // Controls aligned to one edge take it in the order of their places, and a hidden line keeps the place it
      // had: moved past the bottom first, it comes back under the bottom dock instead of above it.
      // The command's last act.
      if (!show || status_->SetTop(ClientHeight()).Alive()) (void)status_->SetVisible(show);
      statusItem->SetChecked(show);
    });
  };

  TBarCustomItem* themes = AddMenu(root, L"&Themes");
  // V is the Visual styles item's.
  std::set<wchar_t> themeKeys{L'V'};
  for (const TThemeRegistryEntry& entry : ThemeRegistry()) {
    const String name = entry.Name;
    TBarCustomItem* item = AddCommand(themes, WithAccessKey(name, themeKeys).c_str(), [this, name] {
      SelectTheme(name);
      Report(L"The " + name + L" theme");
    });
    item->SetGroupIndex(2);
    themeItems_.push_back(item);
  }
  AddSeparator(themes);
  auto* stylesItem = new TStyledItem(this);
  stylesItem->SetCaption(L"&Visual styles");
  themes->Add(stylesItem);
  stylesItem->SetChecked(switcher_->EnableXPStyles());
  stylesItem->OnClick = [this, stylesItem](TObject*) {
    RunCommand(L"Visual styles", [this, stylesItem] {
      switcher_->SetEnableXPStyles(!switcher_->EnableXPStyles());
      stylesItem->SetChecked(switcher_->EnableXPStyles());
      Report(switcher_->EnableXPStyles() ? L"Visual styles on" : L"Visual styles off");
    });
  };
  SyncThemeItems();

  TBarCustomItem* help = AddMenu(root, L"&Help");
  AddCommand(
      help, L"&About the gallery",
      [this] {
        Report(L"The component gallery: every component set in one window, " + std::to_wstring(ThemeRegistry().size()) +
               L" themes");
      },
      -1, ShortCut(VK_F1, {}));
}

TRaised TGalleryForm::FindOnPage() {
  if (findBar_->SetVisible(true).Gone()) return TRaised(false);
  TBarView* view = findBar_->View();
  TBarItemViewer* box = view->Find(findBox_);
  if (!box) return TRaised(true);
  // The box opens for typing as Enter on it does from the keyboard.
  if (view->SetSelected(box).Gone()) return TRaised(false);
  PostMessageW(findBar_->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  if (view->EnterToolbarLoop(false, false, false).Gone()) return TRaised(false);
  return TRaised(true);
}
