#include "text_view.h"

#include <string>

TTextView::TTextView(TComponent* owner) : TCustomEdit(owner) { SetReadOnly(true); }

TRaised TTextView::SetLines(const String& text) {
  // Cut at the end of the last line that fits, or inside a line longer than the whole room.
  size_t shown = text.size();
  if (shown > ShownCharacters) {
    const size_t lineEnd = text.rfind(L'\n', ShownCharacters - 1);
    shown = lineEnd == String::npos ? ShownCharacters : lineEnd + 1;
  }
  String lines;
  lines.reserve(shown + shown / 16 + 64);
  for (size_t i = 0; i < shown; ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) lines += L'\r';
    lines += text[i];
  }
  // The note stands on a line of its own, also after a cut inside a line.
  if (shown < text.size()) {
    if (!lines.empty() && lines.back() != L'\n') lines += L"\r\n";
    lines += L"(and " + std::to_wstring(text.size() - shown) + L" more characters, not shown here)";
  }
  if (SetText(lines).Gone()) return TRaised(false);
  return TRaised(true);
}

void TTextView::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  params.Style = (params.Style & ~ES_AUTOHSCROLL) | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
}
