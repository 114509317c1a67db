// The feed reader's page: reads one of the sample feeds shipped with the gallery, lists its items in a string tree
// and shows the page the reader renders from them as text. A feed that cannot be read leaves what was shown and
// says why.
#pragma once

#include <functional>

#include "controls/tabs/page_control.h"

class TStatusLine;
class TTextView;

namespace feeds {
class TFeed;
}
namespace tree {
class TStringTree;
}

enum class TSampleFeed { sfRSS, sfAtom, sfHostile };

class TFeedsPage : public controls::TPcTabSheet {
  BC_CLASS(TFeedsPage, controls::TPcTabSheet)
  explicit TFeedsPage(TComponent* owner);

  TRaised Populate();
  // Reads the sample; answers whether it could be read.
  bool LoadSample(TSampleFeed sample);

  // "Read ..." after a load, the reader's error after a failure.
  const String& Status() const { return status_; }
  // Told the status of every load, whichever command started it (the page's buttons, the window's menu), so that
  // the window's status line says what was read last.
  std::function<void(const String& status, bool failed)> OnLoaded;
  tree::TStringTree* ItemList() const { return items_; }
  TTextView* PageText() const { return pageText_; }

 private:
  TRaised ShowFeed();

  feeds::TFeed* feed_ = nullptr;
  tree::TStringTree* items_ = nullptr;
  TTextView* pageText_ = nullptr;
  TStatusLine* statusLine_ = nullptr;
  String status_;
};
