#include "feeds/html_safety.h"

#include <gtest/gtest.h>

using namespace feeds;

TEST(HTMLSafety, EscapesAttributeValues) {
  EXPECT_EQ(EscapeHTMLAttribute("http://x.example/?a=1&b=\"2\"<>"),
            "http://x.example/?a=1&amp;b=&quot;2&quot;&lt;&gt;");
  EXPECT_EQ(EscapeHTMLAttribute("plain'text"), "plain'text");
  EXPECT_EQ(EscapeHTMLAttribute("a%20b%%C%%%"), "a%20b&#37;%C&#37;&#37;%");
}

TEST(HTMLSafety, OrdinaryMarkupPassesUnchanged) {
  const char* ordinary[] = {
      "",
      "plain text with 1 < 2 and a > b",
      "<p style=\"margin: 0\">Some <b>bold</b>, <i>italic</i> and <a target=\"_blank\" "
      "href=\"http://x.example/a?b=c&amp;d\">a link</a></p>",
      "<img src='pic.gif' alt=\"A &quot;quoted&quot; name\" width=10><br/><hr noshade>",
      "<a href=relative/page.html title=online>one</a>",
      "<font face=\"Verdana\" color=\"#003399\">\xC3\xA9t\xC3\xA9</font>",
      "<!-- a comment --> <![CDATA[ raw ]]> <? pi ?>",
      "<a href=\"http://example/javascript:in-the-path\">ok</a>",
      "<scripted>not the element</scripted><objective/>",
      "<meta http-equiv=\"refresh\" content=\"30; url=http://x.example/\">",
      "<style>p { color: #003399; margin: 0 }</style><span style='font-weight: bold'>s</span>",
  };
  for (const char* markup : ordinary) EXPECT_EQ(RemoveActiveContent(markup), markup) << markup;
}

TEST(HTMLSafety, RemovesScriptingElementsWithTheirContent) {
  EXPECT_EQ(RemoveActiveContent("a<script>alert(1)</script>b"), "ab");
  EXPECT_EQ(RemoveActiveContent("a<SCRIPT type=\"text/javascript\">x</Script >b"), "ab");
  EXPECT_EQ(RemoveActiveContent("a<iframe src=\"http://evil/\"></iframe>b"), "ab");
  EXPECT_EQ(RemoveActiveContent("a<object data=x.swf><param name=a value=b></object>b"), "ab");
  EXPECT_EQ(RemoveActiveContent("a<embed src=y.swf>b</embed>c"), "abc");
  EXPECT_EQ(RemoveActiveContent("a<applet code=Run.class><param name=p value=v></applet>b"), "ab");
  // Without an end tag only the start tag goes; stray end tags go as well.
  EXPECT_EQ(RemoveActiveContent("a<script src=x.js>b"), "ab");
  EXPECT_EQ(RemoveActiveContent("a</script>b</iframe>"), "ab");
  EXPECT_EQ(RemoveActiveContent("a<script>if (x > 1) y();</script>b<script>z</scriptx></script>c"), "abc");
  // A conditional comment of the page's browser cannot hide a script either.
  EXPECT_EQ(RemoveActiveContent("<!--[if IE]><script>alert(1)</script><![endif]-->"), "<!--[if IE]><![endif]-->");
}

TEST(HTMLSafety, RemovesEventAttributesAndScriptAddresses) {
  EXPECT_EQ(RemoveActiveContent("<p onclick=\"alert(1)\">x</p>"), "<p >x</p>");
  EXPECT_EQ(RemoveActiveContent("<img src=x onerror=alert(5)>"), "<img src=x >");
  EXPECT_EQ(RemoveActiveContent("<b OnMouseOver='a()' class=c>"), "<b  class=c>");
  EXPECT_EQ(RemoveActiveContent("<a href=\"x\"onclick=\"y\">"), "<a href=\"x\">");
  EXPECT_EQ(RemoveActiveContent("<a href=\"javascript:alert(8)\">link</a>"), "<a >link</a>");
  EXPECT_EQ(RemoveActiveContent("<a href=' JavaScript:x'>l</a>"), "<a >l</a>");
  EXPECT_EQ(RemoveActiveContent("<a href=\"java&#x09;script:x\">l</a>"), "<a >l</a>");
  EXPECT_EQ(RemoveActiveContent("<a href=\"&#106;avascript:x\">l</a>"), "<a >l</a>");
  EXPECT_EQ(RemoveActiveContent("<a href=vbscript:msgbox(1)>l</a>"), "<a >l</a>");
  // Named references that spell out the colon or a skipped blank.
  EXPECT_EQ(RemoveActiveContent("<a href=\"javascript&colon;alert(1)\">l</a>"), "<a >l</a>");
  EXPECT_EQ(RemoveActiveContent("<a href=\"java&Tab;script&colon;x\">l</a>"), "<a >l</a>");
  EXPECT_EQ(RemoveActiveContent("<a href=\"vb&NewLine;script:x\">l</a>"), "<a >l</a>");
  // A refresh to a script address, with or without "url=".
  EXPECT_EQ(RemoveActiveContent("<meta http-equiv=\"refresh\" content=\"0; URL=javascript:alert(1)\">"),
            "<meta http-equiv=\"refresh\" >");
  EXPECT_EQ(RemoveActiveContent("<META CONTENT='1;vbscript:msgbox(1)' http-equiv=refresh>"),
            "<META  http-equiv=refresh>");
  EXPECT_EQ(RemoveActiveContent("<form action=\"javascript:x\"><input value=\"a>b\" onfocus=x></form>"),
            "<form ><input value=\"a>b\" ></form>");
}

TEST(HTMLSafety, ScriptAddressesBecomeEmpty) {
  EXPECT_EQ(SafeAddressAttribute("http://x.example/?a=1&b=\"2\""), "http://x.example/?a=1&amp;b=&quot;2&quot;");
  EXPECT_EQ(SafeAddressAttribute("javascript:alert(1)"), "");
  EXPECT_EQ(SafeAddressAttribute(" VBScript:msgbox"), "");
  EXPECT_EQ(SafeAddressAttribute("relative/javascript:page"), "relative/javascript:page");
}

// Style sheets of the page's browser can run script through expressions, behavior bindings and script addresses.
TEST(HTMLSafety, RemovesActiveStyles) {
  EXPECT_EQ(RemoveActiveContent("<p style=\"width: expression(alert(1))\">x</p>"), "<p >x</p>");
  EXPECT_EQ(RemoveActiveContent("<p style='color: red; background: url(&#106;avascript:alert(1))'>x</p>"), "<p >x</p>");
  EXPECT_EQ(RemoveActiveContent("<div STYLE=\"-ms-behavior: url(x.htc)\">x</div>"), "<div >x</div>");
  EXPECT_EQ(RemoveActiveContent("<b style=\"width: e\\78pression(1)\">x</b>"), "<b >x</b>");
  EXPECT_EQ(RemoveActiveContent("a<style>p { width: EXPRESSION(alert(1)) }</style>b"), "ab");
  EXPECT_EQ(RemoveActiveContent("a<STYLE type=text/css>@import 'javascript:alert(1)';</STYLE >b"), "ab");
  // Sheets from elsewhere could hold any of these.
  EXPECT_EQ(RemoveActiveContent("a<style>@import url(http://x.example/s.css);</style>b"), "ab");
  EXPECT_EQ(RemoveActiveContent("a<link rel=\"stylesheet\" href=\"http://x.example/s.css\">b"), "ab");
  // Without an end tag only the start tag goes.
  EXPECT_EQ(RemoveActiveContent("a<style>x { behavior: url(y) }"), "ax { behavior: url(y) }");
}
