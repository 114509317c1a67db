// Markup a hostile feed author writes to run script in the feed page: comments and raw-text elements that end
// elsewhere than a naive filter thinks, quotes left open for a later value to close, event attributes, script
// addresses in every spelling, active styles, foreign content, data islands and bindings, and elements that change
// the page around them.
#pragma once

#include <string>
#include <vector>

inline const std::vector<std::string>& HostileFragments() {
  static const std::vector<std::string> fragments = [] {
    std::vector<std::string> list = {
        "<script>alert(1)</script>",
        "<SCRIPT SRC=//x.example/x.js></SCRIPT>",
        "<scr<script>ipt>alert(1)</scr</script>ipt>",
        "<script/x>alert(1)</script>",
        "<!-- <a title=\"--><img src=x onerror=alert(1)>\">",
        "<!--[if IE]><script>alert(1)</script><![endif]-->",
        "<!--><img src=x onerror=alert(1)>-->",
        "<!--->-><img src=x onerror=alert(1)>",
        "<!-- --!><img src=x onerror=alert(1)> -->",
        "<![CDATA[<img src=x onerror=alert(1)>]]>",
        "<style><a title=\"</style><img src=x onerror=alert(1)>\">",
        "<STYLE>@import 'javascript:alert(1)';</STYLE>",
        "<xmp><a title=\"</xmp><img src=x onerror=alert(1)>\">",
        "<textarea><a title=\"</textarea><img src=x onerror=alert(1)>\">",
        "<noscript><a title=\"</noscript><img src=x onerror=alert(1)>\">",
        "<title><a title=\"</title><img src=x onerror=alert(1)>\">",
        "<noembed><a title=\"</noembed><img src=x onerror=alert(1)>\">",
        "<noframes><a title=\"</noframes><img src=x onerror=alert(1)>\">",
        "<iframe><a title=\"</iframe><img src=x onerror=alert(1)>\">",
        "<plaintext><script>alert(1)</script>",
        "<img src=x title='",
        "' onerror='alert(1)'>",
        "<a href=\"http://x.example/",
        "\" onmouseover=\"alert(1)\" x=\"",
        "<div style=\"xss:expr/**/ession(alert(1))\">x</div>",
        "<div style=\"width: expression(alert(1))\">",
        "<p style=\"background:url(javascript:alert(1))\">",
        "<p style=\"behavior: url(x.htc)\">",
        "<p style=\"-moz-binding:url(http://x.example/x.xml#x)\">",
        "<p style=\"color: e\\78pression(alert(1))\">",
        "<p style=\"width:&#101;xpression(alert(1))\">",
        "<p style=\"width:&#x65;xpression&#40;alert(1))\">",
        "<p style=\"@import 'x.css'\">",
        "<p style='color:red;/*' title='*/width:expression(alert(1))'>",
        "<a href=\"javascript:alert(1)\">x</a>",
        "<a href=\"JaVaScRiPt:alert(1)\">x</a>",
        "<a href=\" \t javascript:alert(1)\">x</a>",
        "<a href=\"java&#x09;script:alert(1)\">x</a>",
        "<a href=\"java\tscript:alert(1)\">x</a>",
        "<a href=\"java&NewLine;script:alert(1)\">x</a>",
        "<a href=\"&#106;&#97;&#118;&#97;&#115;&#99;&#114;&#105;&#112;&#116;&#58;alert(1)\">x</a>",
        "<a href=\"&#x6A;avascript:alert(1)\">x</a>",
        "<a href=\"&#106avascript:alert(1)\">x</a>",
        "<a href=\"&#0000106avascript:alert(1)\">x</a>",
        "<a href=\"javascript&colon;alert(1)\">x</a>",
        "<a href=\"vbscript:msgbox(1)\">x</a>",
        "<a href=\"VBScript&#58;msgbox(1)\">x</a>",
        "<a href=\"livescript:alert(1)\">x</a>",
        "<a href=\"data:text/html,<script>alert(1)</script>\">x</a>",
        "<a href=javascript:alert(1)>x</a>",
        "<a href=`javascript:alert(1)`>x</a>",
        "<img src=\"jav&#x0A;ascript:alert(1)\">",
        "<img src=\"javascript:alert(1)\">",
        "<blockquote cite=\"javascript:alert(1)\">q</blockquote>",
        "<svg onload=alert(1)>",
        "<svg><script>alert(1)</script></svg>",
        "<svg><style><img src=x onerror=alert(1)></style></svg>",
        "<svg><a xlink:href=\"javascript:alert(1)\"><text>x</text></a></svg>",
        "<math><mtext><table><mglyph><style><img src=x onerror=alert(1)>",
        "<math href=\"javascript:alert(1)\">x</math>",
        "<xml id=x><x><c><![CDATA[<img src=x onerror=alert(1)>]]></c></x></xml>"
        "<span datasrc=#x datafld=c dataformatas=html></span>",
        "<?xml:namespace prefix=t ns=\"urn:schemas-microsoft-com:time\"><?import namespace=t "
        "implementation=\"#default#time2\"><t:set attributeName=innerHTML to=\"x<img src=x onerror=alert(1)>\">",
        "<base href=\"javascript:alert(1)//\">",
        "<meta http-equiv=\"refresh\" content=\"0;url=javascript:alert(1)\">",
        "<link rel=stylesheet href=http://x.example/x.css>",
        "<form action=\"javascript:alert(1)\"><input type=submit></form>",
        "<button formaction=javascript:alert(1)>x</button>",
        "<isindex action=javascript:alert(1) type=image>",
        "<object data=\"javascript:alert(1)\"></object>",
        "<embed src=\"http://x.example/x.swf\">",
        "<applet code=X></applet>",
        "<frameset onload=alert(1)>",
        "<table background=\"javascript:alert(1)\"><tr><td>x</td></tr></table>",
        "<img dynsrc=\"javascript:alert(1)\" lowsrc=\"javascript:alert(1)\">",
        "<body onload=alert(1)>",
        "<bgsound src=javascript:alert(1)>",
        "<br size=\"&{alert(1)}\">",
        "<img src=x onerror=alert(1)//",
        "<img/src=x/onerror=alert(1)>",
        "<img src=x onerror\n=alert(1)>",
        "<img \"\"\"><script>alert(1)</script>\">",
        "<img src=\"x\"onerror=\"alert(1)\">",
        "<a href=\"%%TITLEDESC%%\">T</a>",
        "%%CONTENT%%%%COPYRIGHT%%",
        "</font></p></td></tr></table><script>alert(1)</script>",
        "</title><script>alert(1)</script>",
        "<a href=\"http://x.example/\" target=\"_blank\" onclick=\"alert(1)\">x</a>",
        "<marquee onstart=alert(1)>x</marquee>",
        "<div/onmouseover='alert(1)'>x</div>",
        "<div =\"\" onclick=alert(1)>x</div>",
        "\xE0\"><img src=x onerror=alert(1)>",
        "<img alt=\"\xF0\x9F\" src=x onerror=alert(1)>",
    };
    // Every event attribute, in several spellings.
    const char* events[] = {"onabort",      "onactivate",  "onafterprint",  "onbeforecopy",     "onbeforeunload",
                            "onblur",       "onclick",     "oncontextmenu", "ondblclick",       "ondrag",
                            "onerror",      "onfocus",     "onfocusin",     "onload",           "onmousedown",
                            "onmouseenter", "onmouseover", "onpaste",       "onpropertychange", "onreadystatechange",
                            "onresize",     "onscroll",    "onunload",      "onfilterchange",   "onbegin",
                            "onstart",      "onfinish",    "ontoggle",      "onanimationstart"};
    for (std::string event : events) {
      list.push_back("<img src=x " + event + "=alert(1)>");
      list.push_back("<b " + event + "=\"alert(1)\">x</b>");
      std::string mixed = event;
      mixed[0] = 'O';
      mixed[2] = static_cast<char>(mixed[2] - 'a' + 'A');
      list.push_back("<a href=\"http://x.example/\"" + mixed + "='alert(1)'>x</a>");
      list.push_back("<p\t" + event + "\n=\nalert(1)>x</p>");
    }
    return list;
  }();
  return fragments;
}

// Ordinary feed markup, each written as the sanitiser writes it, so that it passes unchanged.
inline const std::vector<std::string>& OrdinaryFragments() {
  static const std::vector<std::string> fragments = {
      "",
      "plain text &amp; more",
      "Caf\xC3\xA9 &nbsp;&copy; &#169; &#xA9; \xE2\x82\xAC \xF0\x9F\x98\x80",
      "<p style=\"margin: 0\">Some <b>bold</b>, <i>italic</i> and <a target=\"_blank\" "
      "href=\"http://x.example/a?b=c&amp;d\">a link</a></p>",
      "<img src=\"pic.gif\" alt=\"A &quot;quoted&quot; name\" width=\"10\"><br><hr noshade>",
      "<a href=\"relative/page.html\" title=\"online\">one</a>",
      "<font face=\"Verdana\" color=\"#003399\" size=\"2\">\xC3\xA9t\xC3\xA9</font>",
      "<a href=\"mailto:ann@x.example\">Ann</a> <a href=\"ftp://x.example/f\">f</a> <a "
      "href=\"https://x.example/\">s</a>",
      "<a href=\"http://example/javascript:in-the-path\">ok</a>",
      "<ul><li>one</li><li>two</li></ul><ol start=\"3\"><li>three</li></ol><dl><dt>t</dt><dd>d</dd></dl>",
      "<table border=\"1\" width=\"100%\"><tr><th>h</th><td align=\"right\" colspan=\"2\">c</td></tr></table>",
      "<blockquote cite=\"http://x.example/q\"><q>quoted</q></blockquote><pre>  code\n  more</pre>",
      "<h1>Title</h1><h6 align=\"center\">small</h6><div align=\"justify\"><span>s</span></div>",
      "<sub>1</sub><sup>2</sup><tt>t</tt><u>u</u><s>s</s><strike>k</strike><em>e</em><strong>s</strong>",
      "<span style=\"color: #003399; font-weight: bold; margin-top: 0\">styled</span>",
  };
  return fragments;
}
