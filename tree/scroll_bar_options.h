// Which scroll bars a tree shows, in which look, and its scroll steps.
#pragma once

#include <cstdint>

#include "framework/component.h"

namespace tree {

class TBaseTree;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TScrollBarStyle { sbmRegular, sbmFlat, sbm3D };

class TScrollBarOptions : public TPersistent {
  BC_CLASS(TScrollBarOptions, TPersistent)
  explicit TScrollBarOptions(TBaseTree* owner = nullptr);

  bool AlwaysVisible() const { return alwaysVisible_; }
  void SetAlwaysVisible(bool value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  TScrollBarStyle ScrollBarStyle() const { return scrollBarStyle_; }
  void SetScrollBarStyle(TScrollBarStyle value);
  // Scroll steps in pixels.
  std::uint16_t HorizontalIncrement() const { return horizontalIncrement_; }
  void SetHorizontalIncrement(std::uint16_t value) { horizontalIncrement_ = value; }
  std::uint16_t VerticalIncrement() const { return verticalIncrement_; }
  void SetVerticalIncrement(std::uint16_t value) { verticalIncrement_ = value; }

  void Assign(const TPersistent* source) override;
  TPersistent* GetOwner() const override;
  const TPublishedTable& PublishedTable() const override;

 private:
  void RecreateOwnerWindow(bool evenWhileLoading);

  bool alwaysVisible_ = false;
  TBaseTree* owner_;
  TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
  TScrollBarStyle scrollBarStyle_ = TScrollBarStyle::sbmRegular;
  std::uint16_t horizontalIncrement_ = 20;
  std::uint16_t verticalIncrement_ = 20;
};

}  // namespace tree
