// Methods that take an answer, each shape once, beside those that hand it on, mark a last act, or may not answer.
// Read by the handler-call check's own test, never compiled.

void TSample::Observed() {
  if (Click().Gone()) return;
  Paint();
}

void TSample::Held() {
  const TRaised raised = Click();
  (void)raised;
}

void TSample::Dropped() { (void)Click(); }

void TSample::Ignored() { std::ignore = Click(); }

void TSample::RaisedHere() {
  if (RaiseEvent(OnChange, this).Gone()) return;
  Refresh();
}

void TSample::OfTheTree() {
  if (DoFocusChange(node, column).TreeGone()) return;
  Invalidate();
}

TRaised TSample::InALambda() {
  const auto step = [this] {
    if (Click().Gone()) return;
    Paint();
  };
  step();
  return TRaised(true);
}

TRaised TSample::HandedOn() { return Click(); }

bool TSample::AnsweredAsAValue() { return Click().Alive(); }

void TSample::Marked() {
  value_ = 1;
  // The setter's last act.
  (void)Click();
}

void TSample::WMPaint(TMessage& message) {
  if (Click().Gone()) return;
  message.Result = 0;
}

TSample::TSample(TComponent* owner) : TComponent(owner) {
  if (Click().Gone()) return;
}

TSample::~TSample() { (void)Click(); }

void TSample::BeforeDestruction() {
  (void)Click();
  TComponent::BeforeDestruction();
}

void TSample::FontChanged(TObject* sender) {
  if (sender == font_ && SetBounds(0, 0, 10, 10).Gone()) return;
  Invalidate();
}

void TSample::Typed() {
  if constexpr (std::is_same_v<std::invoke_result_t<TStep&>, TRaised>) Say(L"answers");
}

void TSample::Walked() {
  for (const auto& [child, life] : Listed())
    if (!life.Ended() && child->InitiateAction().Gone()) continue;
}

void TSample::Watched() {
  const TNodeWatch watch(*this, node);
  Expand(node);
  if (watch.TreeGone()) return;
  static_cast<void>(holder_.release());
}

void TSample::Braced() {
  // Click().Gone() in a comment takes nothing.
  for (const wchar_t* prefix : {L"a", L"b"})
    if (StartsWithText(name_, prefix)) {
      Say(prefix);
      break;
    }
  switch (kind_) {
    case TKind::kOne: {
      SetWindowProc([this](TMessage& message) {
        if (Click().Gone()) return;
        message.Result = 1;
      });
      OnClick = [this](TObject*) {
        if (Close().Gone()) return;
        Say(L"closed");
      };
      break;
    }
    default:
      break;
  }
}
