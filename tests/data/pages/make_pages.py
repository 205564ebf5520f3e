#!/usr/bin/env python3
# Writes the page corpus of tst_codec: each page in its encoding, and beside it the text the
# editor should show (UTF-8, lines joined by LF, no final LF). Decoding here uses Python's own
# codecs, so the expected texts do not come from the code under test.
import os

HERE = os.path.dirname(os.path.abspath(__file__))
LETTERS = "ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ"
PARAGRAPH = "Zażółć gęślą jaźń. ŹDŹBŁO, ŻÓŁW i ŚLIMAK: " + LETTERS


def page(head, body, title="Strona"):
    return ["<html>", "<head>"] + head + ["<title>" + title + "</title>", "</head>",
                                          "<body>"] + body + ["</body>", "</html>"]


def write(name, lines, encoding, newline="\r\n", final_newline=True):
    text = newline.join(lines) + (newline if final_newline else "")
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(text.encode(encoding))
    expected = text.encode(encoding).decode(encoding)
    # The editor's lines: split at CR LF, CR or LF; a break at the end starts no line.
    expected = expected.replace("\r\n", "\n").replace("\r", "\n")
    if final_newline:
        expected = expected[: -1]
    with open(os.path.join(HERE, name + ".expected.txt"), "wb") as f:
        f.write(expected.encode("utf-8"))


body = ["<h1>" + LETTERS + "</h1>", "<p>" + PARAGRAPH + "</p>", "<p>Cena: 5 zł – tanio…</p>"]

write("utf8-http-equiv.htm",
      page(['<meta http-equiv="Content-Type" content="text/html; charset=utf-8">'], body),
      "utf-8")
write("iso-8859-2.htm",
      page(['<meta name="author" content="Łukasz">',
            '<meta http-equiv="Content-Type" content="text/html; charset=iso-8859-2">'],
           ["<h1>" + LETTERS + "</h1>", "<p>" + PARAGRAPH + "</p>"]),
      "iso-8859-2")
# Ends with an empty line, which survives the round trip.
write("windows-1250.htm",
      ['<html><head><meta http-equiv="Content-Type" content="text/html; charset=windows-1250">',
       "<title>Strona</title></head>", "<body>"] + body + ["</body></html>", ""],
      "cp1250")
write("utf8-capitals.htm",
      ['<META HTTP-EQUIV="CONTENT-TYPE" CONTENT="TEXT/HTML; CHARSET=UTF-8">', "<P>" + PARAGRAPH],
      "utf-8")
write("utf8-html5.htm", ["<!DOCTYPE html>"] + page(['<meta charset="utf-8">'], body), "utf-8")
write("windows-1250.css",
      ['@charset "windows-1250";', "/* " + LETTERS + " */",
       'h1:before { content: "Źródło: "; }'],
      "cp1250")
write("comment-mentions-charset.htm",
      ["<!-- the charset is set below -->"]
      + page(['<meta http-equiv="Content-Type" content="text/html; charset=windows-1250">'],
             body),
      "cp1250")
write("undeclared-utf8.js",
      ["// " + LETTERS, 'const powitanie = "Dzień dobry, świecie!";', "alert(powitanie);"],
      "utf-8")
write("undeclared-windows-1250.txt", [PARAGRAPH, "", LETTERS], "cp1250")
write("utf8-lf.htm", page(['<meta charset="utf-8">'], body), "utf-8", newline="\n")
write("utf8-symbols.htm",
      page(['<meta http-equiv="Content-Type" content="text/html; charset=utf-8">'],
           ["<p>Strzałki: ← → ↑ ↓ ⇒</p>", "<p>Cyrylica: Съешь же ещё этих мягких булок</p>",
            "<p>Emoji: 😀 🎉 👍🏽 i „cudzysłów” — " + LETTERS + "</p>"]),
      "utf-8")

# Every windows-1250 byte and the character it stands for, the unassigned five as C1 controls.
with open(os.path.join(HERE, "..", "windows-1250.txt"), "w", newline="\n") as f:
    for b in range(256):
        try:
            c = bytes([b]).decode("cp1250")
        except UnicodeDecodeError:
            c = chr(b)
        f.write("%02X %04X\n" % (b, ord(c)))
