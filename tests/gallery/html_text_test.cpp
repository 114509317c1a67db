// The text a reader sees in rendered markup.
#include "html_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

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
  std::uint32_t seed = 20261207;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int round = 0; round < 2000; ++round) {
    std::string markup = sample;
    for (int edits = next() % 8 + 1; edits > 0; --edits) {
      const size_t at = next() % (markup.size() + 1);
      switch (next() % 3) {
        case 0:
          markup.insert(at, 1, "<>&;#/'\"\x80\xFF"[next() % 10]);
          break;
        case 1:
          if (at < markup.size()) markup.erase(at, 1 + next() % 4);
          break;
        default:
          if (at < markup.size()) markup[at] = static_cast<char>(next());
          break;
      }
    }
    SCOPED_TRACE(round);
    EXPECT_NO_THROW(HtmlToText(markup));
    EXPECT_NO_THROW(HtmlToLine(markup));
  }
}
