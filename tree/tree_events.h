// The event types of the tree: the application supplies captions, images and data, and learns about changes,
// through these. Sender is the tree, or its header for header events.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/control.h"
#include "framework/delegate.h"
#include "framework/drag.h"
#include "framework/graphics.h"
#include "tree/tree_node.h"

class TPopupMenu;
class TStream;

namespace tree {

class TBaseTree;
class TTreeHeader;
class TTreeColumn;
struct ITreeEditLink;
struct ITreeDragManager;

// A column index; NoColumn where an event concerns no column, InvalidColumn where there is not even the main one.
using TColumnIndex = int;
constexpr TColumnIndex NoColumn = -1;
constexpr TColumnIndex InvalidColumn = -2;

enum class TSortDirection { sdAscending, sdDescending };
enum class TTreeImageKind { ikNormal, ikSelected, ikState, ikOverlay };
enum class TTreeDropMarkMode { dmmNone, dmmLeft, dmmRight };
enum class TItemEraseAction { ieColor, ieDefault };
enum class TDropMode { dpNowhere, dpAbove, dpOnNode, dpBelow };
enum class THintAnimationType { hatNone, hatFade, hatSlide, hatSystemDefault };

using TFormatArray = std::vector<CLIPFORMAT>;
using TFormatEtcArray = std::vector<FORMATETC>;

using TTreeChangingEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, bool& Allowed)>;
using TTreeCheckChangingEvent =
    TDelegate<void(TBaseTree* Sender, PTreeNode Node, TCheckState& NewState, bool& Allowed)>;
using TTreeChangeEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node)>;
using TTreeStructureChangeEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TChangeReason Reason)>;
using TTreeEditCancelEvent = TDelegate<void(TBaseTree* Sender, TColumnIndex Column)>;
using TTreeEditChangingEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column, bool& Allowed)>;
using TTreeEditChangeEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column)>;
using TTreeFreeNodeEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node)>;
using TTreeFocusChangingEvent = TDelegate<void(TBaseTree* Sender, PTreeNode OldNode, PTreeNode NewNode,
                                               TColumnIndex OldColumn, TColumnIndex NewColumn, bool& Allowed)>;
using TTreeFocusChangeEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column)>;
using TTreeGetImageEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TTreeImageKind Kind, TColumnIndex Column,
                                          bool& Ghosted, int& ImageIndex)>;
using TTreeHotNodeChangeEvent = TDelegate<void(TBaseTree* Sender, PTreeNode OldNode, PTreeNode NewNode)>;
using TTreeInitChildrenEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, std::uint32_t& ChildCount)>;
using TTreeInitNodeEvent =
    TDelegate<void(TBaseTree* Sender, PTreeNode ParentNode, PTreeNode Node, TTreeNodeInitStates& InitialStates)>;
using TTreePopupEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column, POINT P, bool& AskParent,
                                       TPopupMenu*& PopupMenu)>;
using TTreeHelpContextEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column, int& HelpContext)>;
// The handler hands over one reference to the new edit link.
using TTreeCreateEditorEvent =
    TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column, ITreeEditLink*& EditLink)>;
// OnSaveNode and OnLoadNode; Node is null when the root is meant.
using TTreeSaveNodeEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TStream& Stream)>;
using TTreeHeaderClickEvent =
    TDelegate<void(TTreeHeader* Sender, TColumnIndex Column, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TTreeHeaderMouseEvent =
    TDelegate<void(TTreeHeader* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TTreeHeaderMouseMoveEvent = TDelegate<void(TTreeHeader* Sender, TShiftState Shift, int X, int Y)>;
using TTreeHeaderNotifyEvent = TDelegate<void(TTreeHeader* Sender, TColumnIndex Column)>;
using TTreeHeaderDraggingEvent = TDelegate<void(TTreeHeader* Sender, TColumnIndex Column, bool& Allowed)>;
using TTreeHeaderDraggedEvent = TDelegate<void(TTreeHeader* Sender, TColumnIndex Column, int OldPosition)>;
using TTreeHeaderPaintEvent = TDelegate<void(TTreeHeader* Sender, TCanvas* HeaderCanvas, TTreeColumn* Column,
                                             const RECT& R, bool Hover, bool Pressed, TTreeDropMarkMode DropMark)>;
using TTreeColumnClickEvent = TDelegate<void(TBaseTree* Sender, TColumnIndex Column, TShiftState Shift)>;
using TTreeColumnDblClickEvent = TTreeColumnClickEvent;
using TTreeGetHeaderCursorEvent = TDelegate<void(TTreeHeader* Sender, HCURSOR& Cursor)>;
using TTreeNodeMovedEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node)>;
using TTreeNodeCopiedEvent = TTreeNodeMovedEvent;
using TTreeNodeMovingEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, PTreeNode NewParent, bool& Allowed)>;
using TTreeNodeCopyingEvent = TTreeNodeMovingEvent;
// The handler hands over one reference to the new drag manager.
using TTreeCreateDragManagerEvent = TDelegate<void(TBaseTree* Sender, ITreeDragManager*& DragManager)>;
// The handler hands over one reference to the new data object.
using TTreeCreateDataObjectEvent = TDelegate<void(TBaseTree* Sender, IDataObject*& DataObject)>;
using TTreeDragAllowedEvent = TDelegate<void(TBaseTree* Sender, PTreeNode Node, TColumnIndex Column, bool& Allowed)>;
using TTreeDragOverEvent = TDelegate<void(TBaseTree* Sender, TObject* Source, TShiftState Shift, TDragState State,
                                          POINT Pt, TDropMode Mode, DWORD& Effect, bool& Accept)>;
using TTreeDragDropEvent =
    TDelegate<void(TBaseTree* Sender, TObject* Source, IDataObject* DataObject, const TFormatArray& Formats,
                   TShiftState Shift, POINT Pt, DWORD& Effect, TDropMode Mode)>;
using TTreeRenderOLEDataEvent = TDelegate<void(TBaseTree* Sender, const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                               bool ForClipboard, HRESULT& Result)>;
using TTreeGetUserClipboardFormatsEvent = TDelegate<void(TBaseTree* Sender, TFormatEtcArray& Formats)>;
using TTreeBeforeItemEraseEvent =
    TDelegate<void(TBaseTree* Sender, TCanvas* Canvas, PTreeNode Node, const RECT& ItemRect, TColor& ItemColor,
                   TItemEraseAction& EraseAction)>;
using TTreeAfterItemEraseEvent =
    TDelegate<void(TBaseTree* Sender, TCanvas* TargetCanvas, PTreeNode Node, const RECT& ItemRect)>;
using TTreeAfterItemPaintEvent = TTreeAfterItemEraseEvent;
using TTreeBeforeItemPaintEvent =
    TDelegate<void(TBaseTree* Sender, TCanvas* TargetCanvas, PTreeNode Node, const RECT& ItemRect, bool& CustomDraw)>;
using TTreeBeforeCellPaintEvent = TDelegate<void(TBaseTree* Sender, TCanvas* TargetCanvas, PTreeNode Node,
                                                 TColumnIndex Column, const RECT& CellRect)>;
using TTreeAfterCellPaintEvent = TTreeBeforeCellPaintEvent;
using TTreePaintEvent = TDelegate<void(TBaseTree* Sender, TCanvas* TargetCanvas)>;
using TTreeBackgroundPaintEvent =
    TDelegate<void(TBaseTree* Sender, TCanvas* TargetCanvas, const RECT& R, bool& Handled)>;
using TTreeGetLineStyleEvent = TDelegate<void(TBaseTree* Sender, const void*& Bits)>;
using TTreeCompareEvent =
    TDelegate<void(TBaseTree* Sender, PTreeNode Node1, PTreeNode Node2, TColumnIndex Column, int& Result)>;
using TTreeIncrementalSearchEvent =
    TDelegate<void(TBaseTree* Sender, PTreeNode Node, const String& SearchText, int& Result)>;
using TTreeGetNodeDataSizeEvent = TDelegate<void(TBaseTree* Sender, int& NodeDataSize)>;
using TTreeKeyActionEvent = TDelegate<void(TBaseTree* Sender, WORD& CharCode, TShiftState& Shift, bool& DoDefault)>;
using TTreeScrollEvent = TDelegate<void(TBaseTree* Sender, int DeltaX, int DeltaY)>;
using TTreeUpdatingEvent = TDelegate<void(TBaseTree* Sender, TTreeUpdateState State)>;
using TTreeGetCursorEvent = TDelegate<void(TBaseTree* Sender, TCursor& Cursor)>;

}  // namespace tree
