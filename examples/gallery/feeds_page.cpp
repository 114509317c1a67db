#include "feeds_page.h"

#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "command_strip.h"
#include "feeds/feed.h"
#include "framework/splitter.h"
#include "framework/streams.h"
#include "framework/text_convert.h"
#include "html_text.h"
#include "status_line.h"
#include "text_view.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

using namespace tree;

namespace {

struct TSampleInfo {
  const wchar_t* Caption;
  const wchar_t* Resource;
};

const TSampleInfo kSamples[] = {
    {L"RSS sample", L"GALLERY_RSS"}, {L"Atom sample", L"GALLERY_ATOM"}, {L"Hostile feed", L"GALLERY_HOSTILE"}};

}  // namespace

TFeedsPage::TFeedsPage(TComponent* owner) : controls::TPcTabSheet(owner) {
  // Nothing handles the events of a control in the making.
  (void)SetCaption(L"Feed reader");
}

TRaised TFeedsPage::Populate() {
  feed_ = new feeds::TFeed(this);

  std::vector<TStripButton> buttons;
  for (size_t i = 0; i < std::size(kSamples); ++i)
    buttons.push_back({kSamples[i].Caption, [this, i] { LoadSample(static_cast<TSampleFeed>(i)); }});
  statusLine_ = AddCommandStrip(this, buttons, 110)->Status();

  items_ = new TStringTree(this);
  if (items_->SetHeight(240).Gone() || items_->SetAlign(TAlign::alTop).Gone()) return TRaised(false);
  TTreeHeader* header = items_->Header();
  for (auto [caption, width] : {std::tuple{L"Title", 420}, std::tuple{L"Published", 260}, std::tuple{L"Author", 200},
                                std::tuple{L"Address", 300}}) {
    TTreeColumn* column = header->Columns()->Add();
    column->SetText(caption);
    if (column->SetWidth(width).Gone()) return TRaised(false);
  }
  if (header->SetOptions(header->Options() + TTreeHeaderOption::hoVisible).Gone()) return TRaised(false);
  items_->TreeOptions()->SetPaintOptions(items_->TreeOptions()->PaintOptions() - TTreePaintOption::toShowRoot -
                                         TTreePaintOption::toShowTreeLines - TTreePaintOption::toShowButtons +
                                         TTreePaintOption::toShowVertGridLines);
  // A new list has no selection to empty.
  (void)items_->TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toFullRowSelect});
  items_->OnGetText = [this](TBaseTree*, PTreeNode node, TColumnIndex column, TVSTTextType, String& text) {
    if (static_cast<int>(node->Index) >= feed_->Items()->Count()) return;
    const feeds::TRSSItem* item = feed_->Items()->Items(static_cast<int>(node->Index));
    switch (column) {
      case 0:
        text = HtmlToLine(item->Title());
        break;
      case 1:
        // Authors and dates other than RFC 822 ones are kept in the system's code page, titles and addresses in
        // UTF-8.
        text = item->PubDate()->IsSet() ? item->PubDate()->FormatRFC822() : AnsiToWide(item->StrDate());
        break;
      case 2:
        text = AnsiToWide(item->Author());
        break;
      default:
        text = Utf8ToWide(item->Link());
        break;
    }
  };
  if (items_->SetParent(this).Gone()) return TRaised(false);

  auto* splitter = new TSplitter(this);
  if (splitter->SetHeight(4).Gone() || splitter->SetAlign(TAlign::alTop).Gone() ||
      splitter->SetTop(items_->Top() + items_->Height()).Gone() || splitter->SetParent(this).Gone())
    return TRaised(false);

  pageText_ = new TTextView(this);
  if (pageText_->SetAlign(TAlign::alClient).Gone() || pageText_->SetParent(this).Gone()) return TRaised(false);
  // The sample's handlers may free the page.
  const TLifeWatch life = LifeWatch();
  LoadSample(TSampleFeed::sfRSS);
  return TRaised(!life.Ended());
}

bool TFeedsPage::LoadSample(TSampleFeed sample) {
  const TSampleInfo& info = kSamples[static_cast<int>(sample)];
  // The status line's handlers may free this page.
  const TLifeWatch life = LifeWatch();
  try {
    TResourceStream stream(GetModuleHandleW(nullptr), info.Resource, MAKEINTRESOURCEW(10));
    feed_->LoadFromStream(stream);
  } catch (const Exception& e) {
    status_ = String(info.Caption) + L" was not read: " + e.Message();
    if (AnswerFor(life, statusLine_->ShowText(status_, true)).Gone()) return false;
    // Told last: the window's handler may free this page.
    (void)RaiseEvent(OnLoaded, status_, true);
    return false;
  }
  status_ = String(L"Read the ") + info.Caption + L": " + std::to_wstring(feed_->Items()->Count()) + L" items";
  if (AnswerFor(life, statusLine_->ShowText(status_)).Gone() || ShowFeed().Gone()) return false;
  // Told last: the window's handler may free this page.
  (void)RaiseEvent(OnLoaded, status_, false);
  return true;
}

TRaised TFeedsPage::ShowFeed() {
  const TLifeWatch life = LifeWatch();
  // The rows' handlers may free the list, or this page.
  if (items_->SetRootNodeCount(0).Gone() ||
      items_->SetRootNodeCount(static_cast<std::uint32_t>(feed_->Items()->Count())).Gone())
    return TRaised(!life.Ended());
  items_->Invalidate();
  TMemoryStream page;
  feed_->RenderHTML(&page);
  return AnswerFor(life, pageText_->SetLines(HtmlToText(std::string_view(static_cast<const char*>(page.Memory()),
                                                                         static_cast<size_t>(page.Size())))));
}
