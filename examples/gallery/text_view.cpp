#include "text_view.h"

TTextView::TTextView(TComponent* owner) : TCustomEdit(owner) { SetReadOnly(true); }

void TTextView::SetLines(const String& text) {
  String lines;
  lines.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) lines += L'\r';
    lines += text[i];
  }
  SetText(lines);
}

void TTextView::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  params.Style = (params.Style & ~ES_AUTOHSCROLL) | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
}
