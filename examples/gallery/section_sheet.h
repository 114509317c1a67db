// A gallery page made of captioned sections of fixed width, flowed into as many columns as the page is wide each
// time its size changes.
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
  void AddSections(const std::vector<TGallerySectionInfo>& sections);
  const std::vector<TWinControl*>& Sections() const { return sections_; }

 protected:
  void Resize() override;

 private:
  void FlowSections();

  std::vector<TWinControl*> sections_;
};
