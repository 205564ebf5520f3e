#!/usr/bin/env python3
# Writes the mixed-encoding site of tst_findinfiles, and the bytes each file should have after
# "łąka" (any case, whole words) is replaced by "Łąka → ŁĄKA" in files: replaced/<name>. The
# expected bytes are made here with Python's codecs, not by the code under test.
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SITE = os.path.join(HERE, "site")
REPLACED = os.path.join(HERE, "replaced")


def page(charset, body):
    meta = ['<meta http-equiv="Content-Type" content="text/html; charset=%s">' % charset] if charset else []
    return ["<html>", "<head>"] + meta + ["<title>Łąki</title>", "</head>", "<body>"] + body + ["</body>", "</html>"]


BODY = ["<p>Zielona łąka i ŁĄKA.</p>", "<p>Łąkowy nie, Łąka tak: żółw na łące, łąka!</p>"]
# name, lines, encoding, line break, final break, BOM, replacement the file can hold
FILES = [
    ("iso.htm", page("iso-8859-2", BODY), "iso-8859-2", "\r\n", True, False),
    ("cp.html", page("windows-1250", BODY), "cp1250", "\n", True, False),
    ("bom.htm", page("utf-8", BODY), "utf-8", "\r\n", True, True),
    ("zwykly.txt", ["łąka bez końca wiersza", "ostatni: Łąka"], "utf-8", "\n", False, False),
    ("styl/nieznany.css", ["/* łąka */", "p { color: green }"], "cp1250", "\r\n", True, False),
    ("bez-niczego.js", ["// nic tu nie ma", "var x = 1;"], "ascii", "\n", True, False),
]
WITH = "Łąka → ŁĄKA"
REFERENCED = "Łąka &#8594; ŁĄKA"


def replace_words(text):
    # Whole words "łąka" in any case, as the program should find them.
    import re
    return re.sub(r"(?<![\w])łąka(?![\w])", lambda m: "@@", text, flags=re.IGNORECASE)


for name, lines, encoding, newline, final, bom in FILES:
    text = newline.join(lines) + (newline if final else "")
    data = (b"\xef\xbb\xbf" if bom else b"") + text.encode(encoding)
    for root in (SITE, REPLACED):
        os.makedirs(os.path.dirname(os.path.join(root, name)), exist_ok=True)
    with open(os.path.join(SITE, name), "wb") as f:
        f.write(data)
    holds = encoding == "utf-8"
    replaced = replace_words(text).replace("@@", WITH if holds else REFERENCED)
    with open(os.path.join(REPLACED, name), "wb") as f:
        f.write((b"\xef\xbb\xbf" if bom else b"") + replaced.encode(encoding))

with open(os.path.join(SITE, "binarny.htm"), "wb") as f:
    f.write(b"GIF89a\x00\x01\x00\x01 \xb3\xb1ka")
with open(os.path.join(REPLACED, "binarny.htm"), "wb") as f:
    f.write(b"GIF89a\x00\x01\x00\x01 \xb3\xb1ka")
with open(os.path.join(SITE, "obrazek.png"), "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n\x00\x00 \xc5\x82\xc4\x85ka")
with open(os.path.join(REPLACED, "obrazek.png"), "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n\x00\x00 \xc5\x82\xc4\x85ka")
