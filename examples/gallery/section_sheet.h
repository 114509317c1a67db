// A gallery page made of captioned sections of fixed width, flowed into columns by the page's height each time its
// size changes, with scroll bars for what the page cannot show.
#pragma once

#include <vector>

#include "controls/tabs/page_control.h"

// Builds the sample controls of one section inside host (kSectionWidth pixels wide) and answers their height.
using TGallerySectionBuilder = int (*)(TWinControl* host);

struct TGallerySectionInfo {
  const wchar_t* Title;
  TGallerySectionBuilder Build;
};

constexpr int kSectionWidth = 600;

class TSectionSheet : public controls::TPcTabSheet {
  BC_CLASS(TSectionSheet, controls::TPcTabSheet)
  explicit TSectionSheet(TComponent* owner) : controls::TPcTabSheet(owner) {}

  // Adds the sections in order; call once the sheet has its page control.
  TRaised AddSections(const std::vector<TGallerySectionInfo>& sections);
  const std::vector<TWinControl*>& Sections() const { return sections_; }
  // The scroll position: the content's point at the page's top left corner.
  POINT ScrollPos() const { return scrollPos_; }
  // Scrolls to that content point, kept inside the content.
  TRaised ScrollTo(POINT pos);

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised Resize() override;
  void Dispatch(TMessage& message) override;

 private:
  TRaised FlowSections();
  void UpdateScrollBars();
  TRaised PlaceSections();
  TRaised Scroll(int bar, WORD request);

  std::vector<TWinControl*> sections_;
  // Where each section stands in the content, whatever the scroll position.
  std::vector<POINT> places_;
  SIZE content_{};
  POINT scrollPos_{};
  bool flowing_ = false;
};
