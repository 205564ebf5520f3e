#!/usr/bin/python3
# make-pages.py FOLDER: the pages bench/outside-table opens, made once and used again:
#   large-100mb.htm  about 100 MB of Polish HTML in windows-1250, about 2 M lines (CR LF);
#   large-50mb.htm   the same, about 50 MB;
#   oneline-10mb.htm a minified page of about 10 MB in UTF-8 on one line: style rules, cards of
#                    Polish markup with attributes, nested tags and entities, then a script.
# They are the pages bench/LargePage.h makes for the benchmarks run inside the program.
import os, sys

def large(path, size):
    head = (b'<html><head><meta http-equiv="Content-Type" content="text/html; '
            b'charset=windows-1250"></head><body>\r\n')
    line = ('<p>Zażółć gęślą jaźń, Łódź i Gdańsk Świętokrzyskie.</p>\r\n').encode('cp1250')
    block = line * 10000
    with open(path, 'wb') as f:
        f.write(head)
        written = len(head)
        while written < size:
            f.write(block)
            written += len(block)
        f.write(b'</body></html>\r\n')

def oneline(path, size):
    out = bytearray('<!DOCTYPE html><html lang="pl"><head><meta charset="utf-8"><title>Zażółć '
                    'gęślą jaźń</title><style>body{margin:0;font:16px/1.5 serif;color:#222}'.encode())
    i = 0
    while len(out) < size // 20:
        n = str(i)
        out += (f'.k{n}{{margin:0 auto;padding:{i % 9}px;color:#2a{10 + i % 90}ff}}.k{n}>a:hover,'
                f'.k{n} li+li{{content:"→ ż";border-bottom:1px solid #ccc}}').encode()
        i += 1
    out += b'</style></head><body>'
    closing = b'</script></body></html>'
    i = 0
    while len(out) < size - size // 20 - len(closing):
        n = str(i)
        out += (f'<div class="k{n} karta" id="a{n}" data-nr="{n}"><h2 title="Łódź &amp; Gdańsk">'
                f'Zażółć gęślą jaźń</h2><p>Źdźbło trawy nad Wisłą &ndash; <a href="/miasta/'
                f'gdańsk.html?id={n}&amp;s=2">Gdańsk</a>, <b>Świętokrzyskie</b> &bdquo;Żółw&rdquo; '
                f'&#8222;ćma&#8221;<br><img src="img/{n}.png" alt="Łąka"></p><ul><li>Śląsk</li>'
                f'<li>Kraków &gt; Poznań</li></ul></div>').encode()
        i += 1
    out += '<script>var d=document,t=["Zażółć","gęślą","jaźń"],s=0;'.encode()
    i = 0
    while len(out) < size - len(closing):
        n = str(i)
        out += (f'function f{n}(a,b){{var e=d.getElementById("a{n}");if(e&&a>b){{e.title="Łódź "'
                f'+t[{i % 3}]+\' nr \'+(a*{n}+b);}}return a+b;}}s+=f{n}({n},2);').encode()
        i += 1
    out += closing
    with open(path, 'wb') as f:
        f.write(out)

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
for name, make, size in (('large-100mb.htm', large, 100_000_000), ('large-50mb.htm', large, 50_000_000),
                         ('oneline-10mb.htm', oneline, 10_000_000)):
    path = os.path.join(folder, name)
    if not os.path.exists(path):
        make(path + '.part', size)
        os.replace(path + '.part', path)
