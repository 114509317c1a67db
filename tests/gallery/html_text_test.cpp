// The text a reader sees in rendered markup.
#include "html_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/hostile_input.h"

TEST(HtmlText, KeepsWhatAReaderSeesAndDropsTheRest) {
  struct TCase {
    std::string Markup;
    String Text;
    String Line;
  };
  const TCase cases[] = {
      {"", L"", L""},
      {"plain", L"plain", L"plain"},
      {"<p>one</p><p>two</p>", L"one\n\ntwo", L"one two"},
      {"a<br>b", L"a\nb", L"a b"},
      {"  lots   of \r\n\t space  ", L"lots of space", L"lots of space"},
      {"<b>bold</b> and <i>italic</i>", L"bold and italic", L"bold and italic"},
      {"<script>alert(1)</script>after<style>p{}</style>", L"after", L"after"},
      {"&lt;tag&gt; &amp; &#x44;&#69;", L"<tag> & DE", L"<tag> & DE"},
      {"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>", L"a b\n\nc", L"a b c"},
      {"<!-- hidden -->shown", L"shown", L"shown"},
      {"caf\xC3\xA9 \xD0\xBC\xD0\xB8\xD1\x80", L"caf\u00E9 \u043C\u0438\u0440", L"caf\u00E9 \u043C\u0438\u0440"},
      {"<p>unclosed <b", L"unclosed", L"unclosed"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Markup);
    EXPECT_EQ(HtmlToText(c.Markup), c.Text);
    EXPECT_EQ(HtmlToLine(c.Markup), c.Line);
  }
}

TEST(HtmlText, DeepAndLongMarkupComesOutInOnePass) {
  std::string markup;
  for (int i = 0; i < 100000; ++i) markup += "<div><b>";
  markup += "deep";
  EXPECT_EQ(HtmlToLine(markup), L"deep");
  EXPECT_EQ(HtmlToText(std::string(1000000, 'x')).size(), 1000000u);
}

TEST(HtmlText, MutatedMarkupNeverThrows) {
  const std::string sample =
      "<html><head><title>T &amp; t</title><style>x</style></head><body><p>caf\xC3\xA9 <a href='x'>link</a></p>"
      "<table><tr><td>1</td><td>2</td></tr></table><!-- c --><script>s</script>&#x263A;</body></html>";
  // The shared mutator damages bytes blindly; markup's own characters are added on top, since they are what
  // sends the tokenizer down its other paths.
  const char kMarkupCharacters[] = "<>&;#/'\"\x80\xFF";
  TMutator mutator(7);
  for (int round = 0; round < 2000; ++round) {
    std::string markup = mutator.Mutate(sample);
    for (size_t edits = mutator.Below(4) + 1; edits > 0; --edits) {
      const char added = kMarkupCharacters[mutator.Below(sizeof kMarkupCharacters - 1)];
      markup.insert(mutator.Below(markup.size() + 1), 1, added);
    }
    SCOPED_TRACE(round);
    EXPECT_NO_THROW(HtmlToText(markup));
    EXPECT_NO_THROW(HtmlToLine(markup));
  }
}
