// Handlers called other than through RaiseEvent, each shape once, beside uses that are no calls. Read by the
// handler-call check's own test, never compiled.

template <class F>
void Fire(const F& handler, TObject* sender) {
  handler(sender);
}

TSample::TSample(TComponent* owner, const TNotifyEvent& value) : TComponent(owner), onInitialised_(value) {
  if (OnPlain) OnPlain(this);
  other_->OnMember(this);
  onPrivate_(this);
  OnGetter()(this);
  std::invoke(OnInvoked, this);
  (OnParenthesised)(this);
}

void TSample::Returned() { return onReturned_(); }

void TSample::Copied() {
  auto handler = OnCopied;
  handler(this);
  const TNotifyEvent kept = OnKept;
  OnKept = nullptr;
  OnKept = kept;
}

void TSample::Captured() {
  Post([copy = onCaptured_] { copy(nullptr); });
}

void TSample::Held(const TNotifyEvent& pending) {
  Post([this] {});
  pending(this);
}

void TSample::Helped() {
  Fire(OnHelped, this);
  Fire(other_, this);
}

TRaised TSample::Raised() {
  // A comment may name OnChange(this) freely, and so may a string.
  Say(L"OnChange(this)");
  if (OnChange != other_->OnChange()) OnFocusChangeIS(nullptr, TRUE);
  return RaiseEvent(OnChange, this);
}
