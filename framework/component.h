// TPersistent (assignment and stored extra properties) and TComponent (ownership, names, free notifications).
#pragma once

#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "framework/component_links.h"
#include "framework/delegate.h"
#include "framework/exceptions.h"
#include "framework/life_token.h"
#include "framework/object.h"
#include "framework/raise_event.h"
#include "framework/set.h"

class TStream;
class TReader;
class TWriter;
class TComponent;
class TPublishedTable;
class TBasicAction;

// What a stored form offers a class for values that its property tables cannot describe ("DefineProperties").
// The form reader and writer implement it.
class TFiler {
 public:
  virtual ~TFiler() = default;
  // A value read and written through the reader's and writer's typed calls.
  virtual void DefineProperty(const String& name, const std::function<void(TReader&)>& readData,
                              const std::function<void(TWriter&)>& writeData, bool hasData) = 0;
  // A value stored as raw bytes.
  virtual void DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                                    const std::function<void(TStream&)>& writeData, bool hasData) = 0;
  // The form reader answers true, the writer false.
  virtual bool IsReader() const = 0;
  bool IsWriter() const { return !IsReader(); }
  // While writing, the component of the ancestor form this one is compared with, else null.
  virtual TComponent* Ancestor() const { return nullptr; }
};

class TPersistent : public TObject {
  BC_CLASS(TPersistent, TObject)
  // Copies source into this object; a class that cannot take the source asks the source (AssignTo), and the
  // base raises EConvertError "Cannot assign a X to a Y".
  virtual void Assign(const TPersistent* source);
  virtual void DefineProperties(TFiler& filer) { (void)filer; }
  // The properties and methods the class stores with forms (framework/properties.h).
  virtual const TPublishedTable& PublishedTable() const;
  virtual TPersistent* GetOwner() const { return nullptr; }
  virtual String GetNamePath() const;

 protected:
  virtual void AssignTo(TPersistent* dest) const;
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

enum class TOperation { opInsert, opRemove };

enum class TComponentStateItem {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance
};
using TComponentState = TSet<TComponentStateItem, 16>;

using TGetChildProc = std::function<void(TComponent* child)>;

class TComponent : public TPersistent {
  BC_CLASS(TComponent, TPersistent)
  explicit TComponent(TComponent* owner = nullptr);
  // A component that is not deleted (a member, or on the stack) frees what it owns here, after its derived parts.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Deleting a component runs BeforeDestruction on the whole object first, which frees what it owns, and only
  // then its destructors: a handler of an owned component that touches a member of a derived form finds it alive.
  static void operator delete(TComponent* component, std::destroying_delete_t);
  // The allocation that pairs with it, and the release for a component whose constructor raised.
  static void* operator new(size_t size);
  static void operator delete(void* block);

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  TComponent* FindComponent(const String& name) const;

  const String& Name() const { return name_; }
  // Raises EComponentError for a name that is no identifier or that another component of the owner has.
  virtual void SetName(const String& name);
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t tag) { tag_ = tag; }

  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return state_.Contains(TComponentStateItem::csLoading); }
  bool IsDesigning() const { return state_.Contains(TComponentStateItem::csDesigning); }
  bool IsDestroying() const { return state_.Contains(TComponentStateItem::csDestroying); }

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Frees the owned components, last created first.
  void DestroyComponents();
  // Marks this component and everything it owns as being destroyed.
  void Destroying();
  // Ends as the component's deletion starts: what code that raised a handler asks before it touches the component
  // again.
  TLifeWatch LifeWatch() const { return life_.Watch(); }
  // Raises an application's handler about this component: whether the component outlived it (raise_event.h).
  template <class Handler, class... Args>
  [[nodiscard]] TRaised RaiseEvent(const Handler& handler, Args&&... args) const {
    return ::RaiseEvent(LifeWatch(), handler, std::forward<Args>(args)...);
  }
  template <class Result, class Handler, class... Args>
  [[nodiscard]] TRaised RaiseEventInto(Result& result, const Handler& handler, Args&&... args) const {
    return ::RaiseEventInto(LifeWatch(), result, handler, std::forward<Args>(args)...);
  }

  // Asks to hear, through Notification, when component is freed; both directions are kept so that whichever
  // goes first tells the other. Each call is one reason for the link, and RemoveFreeNotification takes one away:
  // two holders' reasons for the same link (a control's pop-up menu, the menu's pop-up component) each keep it.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);
  // Asks to hear, through Notification, of every component inserted into or removed from the owner. The owner
  // always hears; a sibling that does not ask hears only of the components it asked FreeNotification of, so that
  // filling or clearing an owner of many components costs each step the same.
  void SiblingNotification();
  void RemoveSiblingNotification();
  // Marks the component as being destroyed and tells everyone who asked for FreeNotification that it goes. The
  // destructor does it; a derived destructor calls it first when the listeners must still find the derived parts
  // intact (an action whose clients let go of their links to it).
  void SendFreeNotifications();

  // Hooks of the form reader; Loaded runs after the whole form is read. A component's Loaded may raise its
  // handlers (a control aligned, an action's properties copied), which may free it: it answers whether it lived.
  void SetLoading(bool loading);
  void SetDesigning(bool designing, bool setChildren = true);
  [[nodiscard]] virtual TRaised Loaded();
  // Runs when the component is deleted, while every part of it still exists, before its destructor: marks it as
  // being destroyed and frees the components it owns (a windowed control its child controls first). An override
  // that needs those still calls the base last.
  virtual void BeforeDestruction();

  // Streaming's view of the tree: the components a form stores as this one's children, and the parent one.
  virtual void GetChildren(const TGetChildProc& proc, TComponent* root) { (void)proc, (void)root; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  virtual void SetParentComponent(TComponent* value) { (void)value; }
  virtual void SetChildOrder(TComponent* child, int order) { (void)child, (void)order; }

  // An action aimed at this component: when the action handles it as a target, the action runs (or updates) on
  // it and the answer is true (framework/actions.cpp). Controls offer standard actions to themselves this way.
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);

  TPersistent* GetOwner() const override { return owner_; }
  String GetNamePath() const override { return name_; }
  const TPublishedTable& PublishedTable() const override;

 protected:
  // Runs a deleted component's destruction up to its memory, and answers where that memory starts: for a class
  // that takes its memory from elsewhere and so declares a destroying delete of its own. A component whose
  // deletion runs already (a handler its destruction raised freed its owner, which frees what it owns) is not
  // destroyed again: it only Abandons, its first deletion ends it, and the answer is null.
  [[nodiscard]] static void* DestroyWhole(TComponent* component);
  // Takes a component whose deletion runs off everything that would delete it once more: its owner.
  virtual void Abandon();
  // For a destructor that calls out while the component's parts go: its watches see the end from here on also
  // when the component is not deleted (a member, or on the stack), whose life would end only with this base.
  void EndLife() noexcept { life_.End(); }
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void ValidateRename(TComponent* component, const String& currentName, const String& newName);
  void SetComponentState(TComponentStateItem item, bool on);

 private:
  class TNameIndex;

  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void RemoveNotification(TComponent* component);
  void LeaveOwner();
  void IndexName(TComponent* component);
  void UnindexName(TComponent* component);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  TComponentLinks freeNotifies_;
  // The owned components that asked for SiblingNotification.
  std::vector<TComponent*> siblingListeners_;
  // The owned components by name, made when the first of them gets one.
  std::unique_ptr<TNameIndex> names_;
  bool hearsSiblings_ = false;
  // Its deletion has begun.
  bool freeing_ = false;
  String name_;
  intptr_t tag_ = 0;
  TComponentState state_;
  TLifeToken life_;
};

// True when text is a valid identifier for a component name.
bool IsValidIdent(const String& text);
