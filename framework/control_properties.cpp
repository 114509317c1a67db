// The stored properties of controls: TControl's own table, and the entries of the control properties that each
// descendant chooses to publish.
#include <map>

#include "framework/control.h"
#include "framework/menus.h"
#include "framework/win_control.h"

namespace {

using P = TPublished<TControl>;
using W = TPublished<TWinControl>;

// Events are plain delegate members of the control; the entry reads and writes the member.
template <class C, class E>
auto EventEntry(const wchar_t* name, E C::*field) {
  return TPublished<C>::Event(
      name, [field](C* c) { return c->*field; }, [field](C* c, E value) { c->*field = std::move(value); });
}

std::map<String, TTableEntry<TPropertyInfo>> MakeEntries() {
  std::map<String, TTableEntry<TPropertyInfo>> entries;
  auto add = [&](const wchar_t* name, TTableEntry<TPropertyInfo> entry) { entries.emplace(name, std::move(entry)); };
  add(L"Action", P::Component(L"Action", &TControl::Action, &TControl::SetAction));
  add(L"Align", P::Enumeration(L"Align", &TControl::Align, &TControl::SetAlign,
                               {L"alNone", L"alTop", L"alBottom", L"alLeft", L"alRight", L"alClient"})
                    .Default(TAlign::alNone));
  add(L"Anchors",
      P::Set(L"Anchors", &TControl::Anchors, &TControl::SetAnchors, {L"akLeft", L"akTop", L"akRight", L"akBottom"})
          .Default(TAnchors{TAnchorKind::akLeft, TAnchorKind::akTop}));
  add(L"AutoSize", P::Boolean(L"AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false));
  add(L"BiDiMode",
      P::Enumeration(L"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode,
                     {L"bdLeftToRight", L"bdRightToLeft", L"bdRightToLeftNoAlign", L"bdRightToLeftReadingOnly"})
          .Stored([](TControl* c) { return !c->ParentBiDiMode(); }));
  add(L"Caption", P::Text(L"Caption", &TControl::Caption, &TControl::SetCaption));
  add(L"Text", P::Text(L"Text", &TControl::Text, &TControl::SetText));
  add(L"Color",
      P::Color(L"Color", &TControl::Color, &TControl::SetColor).Stored([](TControl* c) { return !c->ParentColor(); }));
  add(L"Constraints", P::Object(L"Constraints", &TControl::Constraints));
  add(L"DragCursor", P::Integer(L"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Default(crDrag));
  add(L"DragKind", P::Enumeration(L"DragKind", &TControl::DragKind, &TControl::SetDragKind, {L"dkDrag", L"dkDock"})
                       .Default(TDragKind::dkDrag));
  add(L"DragMode",
      P::Enumeration(L"DragMode", &TControl::DragMode, &TControl::SetDragMode, {L"dmManual", L"dmAutomatic"})
          .Default(TDragMode::dmManual));
  add(L"Enabled", P::Boolean(L"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true));
  add(L"Font", P::Object(L"Font", &TControl::Font).Stored([](TControl* c) { return !c->ParentFont(); }));
  add(L"ParentBiDiMode",
      P::Boolean(L"ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true));
  add(L"ParentColor", P::Boolean(L"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true));
  add(L"ParentFont", P::Boolean(L"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true));
  add(L"ParentShowHint",
      P::Boolean(L"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true));
  add(L"PopupMenu", P::Component(L"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu));
  add(L"ShowHint", P::Boolean(L"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored([](TControl* c) {
    return !c->ParentShowHint();
  }));
  add(L"Visible", P::Boolean(L"Visible", &TControl::Visible, &TControl::SetVisible).Default(true));
  add(L"OnClick", EventEntry(L"OnClick", &TControl::OnClick));
  add(L"OnDblClick", EventEntry(L"OnDblClick", &TControl::OnDblClick));
  add(L"OnMouseDown", EventEntry(L"OnMouseDown", &TControl::OnMouseDown));
  add(L"OnMouseMove", EventEntry(L"OnMouseMove", &TControl::OnMouseMove));
  add(L"OnMouseUp", EventEntry(L"OnMouseUp", &TControl::OnMouseUp));
  add(L"OnMouseWheel", EventEntry(L"OnMouseWheel", &TControl::OnMouseWheel));
  add(L"OnMouseWheelDown", EventEntry(L"OnMouseWheelDown", &TControl::OnMouseWheelDown));
  add(L"OnMouseWheelUp", EventEntry(L"OnMouseWheelUp", &TControl::OnMouseWheelUp));
  add(L"OnContextPopup", EventEntry(L"OnContextPopup", &TControl::OnContextPopup));
  add(L"OnResize", EventEntry(L"OnResize", &TControl::OnResize));
  add(L"OnCanResize", EventEntry(L"OnCanResize", &TControl::OnCanResize));
  add(L"OnDragOver", EventEntry(L"OnDragOver", &TControl::OnDragOver));
  add(L"OnDragDrop", EventEntry(L"OnDragDrop", &TControl::OnDragDrop));
  add(L"OnStartDrag", EventEntry(L"OnStartDrag", &TControl::OnStartDrag));
  add(L"OnEndDrag", EventEntry(L"OnEndDrag", &TControl::OnEndDrag));
  add(L"OnStartDock", EventEntry(L"OnStartDock", &TControl::OnStartDock));
  add(L"OnEndDock", EventEntry(L"OnEndDock", &TControl::OnEndDock));

  add(L"TabOrder", W::Integer(L"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder));
  add(L"TabStop", W::Boolean(L"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false));
  add(L"Ctl3D", W::Boolean(L"Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).Stored([](TWinControl* c) {
    return !c->ParentCtl3D();
  }));
  add(L"ParentCtl3D",
      W::Boolean(L"ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true));
  add(L"BorderWidth", W::Integer(L"BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth).Default(0));
  add(L"BevelEdges",
      W::Set(L"BevelEdges", &TWinControl::BevelEdges, &TWinControl::SetBevelEdges,
             {L"beLeft", L"beTop", L"beRight", L"beBottom"})
          .Default(TBevelEdges{TBevelEdge::beLeft, TBevelEdge::beTop, TBevelEdge::beRight, TBevelEdge::beBottom}));
  add(L"BevelInner", W::Enumeration(L"BevelInner", &TWinControl::BevelInner, &TWinControl::SetBevelInner,
                                    {L"bvNone", L"bvLowered", L"bvRaised", L"bvSpace"})
                         .Default(TBevelCut::bvRaised));
  add(L"BevelOuter", W::Enumeration(L"BevelOuter", &TWinControl::BevelOuter, &TWinControl::SetBevelOuter,
                                    {L"bvNone", L"bvLowered", L"bvRaised", L"bvSpace"})
                         .Default(TBevelCut::bvLowered));
  add(L"BevelKind", W::Enumeration(L"BevelKind", &TWinControl::BevelKind, &TWinControl::SetBevelKind,
                                   {L"bkNone", L"bkTile", L"bkSoft", L"bkFlat"})
                        .Default(TBevelKind::bkNone));
  add(L"BevelWidth", W::Integer(L"BevelWidth", &TWinControl::BevelWidth, &TWinControl::SetBevelWidth).Default(1));
  add(L"DockSite", W::Boolean(L"DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite).Default(false));
  add(L"OnDockDrop", EventEntry(L"OnDockDrop", &TWinControl::OnDockDrop));
  add(L"OnUnDock", EventEntry(L"OnUnDock", &TWinControl::OnUnDock));
  add(L"OnGetSiteInfo", EventEntry(L"OnGetSiteInfo", &TWinControl::OnGetSiteInfo));
  add(L"OnDockOver", EventEntry(L"OnDockOver", &TWinControl::OnDockOver));
  add(L"OnEnter", EventEntry(L"OnEnter", &TWinControl::OnEnter));
  add(L"OnExit", EventEntry(L"OnExit", &TWinControl::OnExit));
  add(L"OnKeyDown", EventEntry(L"OnKeyDown", &TWinControl::OnKeyDown));
  add(L"OnKeyPress", EventEntry(L"OnKeyPress", &TWinControl::OnKeyPress));
  add(L"OnKeyUp", EventEntry(L"OnKeyUp", &TWinControl::OnKeyUp));
  return entries;
}

}  // namespace

TTableEntry<TPropertyInfo> ControlProperty(const String& name) {
  static const std::map<String, TTableEntry<TPropertyInfo>> entries = MakeEntries();
  auto it = entries.find(name);
  if (it == entries.end()) throw EInvalidOperation(Format(L"Unknown control property %s", {name}));
  return it->second;
}

const TPublishedTable& TControl::PublishedTable() const {
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Integer(L"Left", &TControl::Left, &TControl::SetLeft),
          P::Integer(L"Top", &TControl::Top, &TControl::SetTop),
          P::Integer(L"Width", &TControl::Width, &TControl::SetWidth),
          P::Integer(L"Height", &TControl::Height, &TControl::SetHeight),
          P::Integer(L"Cursor", &TControl::Cursor, &TControl::SetCursor).Default(0),
          P::Text(L"Hint", &TControl::Hint, &TControl::SetHint),
          P::Integer(L"HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0),
      });
  return table;
}
