#pragma once

#include "encoding/CharsetDeclaration.h"
#include "encoding/Encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The encoding declarations of a site's files, found by their syntax in the kinds of file where
// they mean something, so that a conversion rewrites each of them and nothing else: not a word
// "charset" in prose, a program's variable or a comment.

enum class SiteFileKind {
    Page,     // .htm, .html, .xhtml, .shtml: markup
    Php,      // .php, .php3, .phtml, .inc: markup and PHP
    Xml,      // .xml, .xsd, .xsl, .xslt, .dtd
    Css,      // style sheets
    Python,   // .py
    Perl,     // .pl, .pm, .cgi
    Htaccess, // a web server's folder settings
    Plain,    // scripts, sources, text: nothing is declared in them
};

SiteFileKind siteFileKind(const QString& fileName);

struct SiteDeclaration {
    enum class Form {
        MetaCharset,       // <meta charset="…">
        MetaHttpEquiv,     // <meta http-equiv="Content-Type" content="…; charset=…">
        XmlDeclaration,    // <?xml … encoding="…"?> on the first line
        ScriptCharset,     // <script charset="…">
        LinkCharset,       // <link charset="…">
        FormAcceptCharset, // one value of <form accept-charset="…">
        CssCharset,        // @charset "…";
        PhpHeader,         // header('Content-Type: …; charset=…')
        PhpIniSet,         // ini_set('default_charset', '…')
        PhpInternal,       // mb_internal_encoding('…')
        CodingLine,        // # -*- coding: … -*- in the first two lines
        AddDefaultCharset, // .htaccess
        AddCharset,        // .htaccess
        PhpValue,          // .htaccess: php_value default_charset …
    };
    Form form;
    // The value's place in the bytes searched, and the value as written.
    qsizetype position = 0;
    qsizetype length = 0;
    QByteArray value;
    // Counted from 1.
    qsizetype line = 0;

    // Whether it says what this file is in (the others name another file's encoding, what a
    // form sends or what a server announces).
    bool declaresFile() const;
    // The form as the report names it, e.g. "<meta charset>".
    QString formName() const;
};

// Every declaration of the file's kind in its bytes, in order. In markup a tag counts only
// outside comments (<!-- -->) and outside the content of <script> and <style>, so a meta written
// in a comment or inside a script's string is left alone; attributes may span lines.
QList<SiteDeclaration> findSiteDeclarations(QByteArrayView bytes, SiteFileKind kind);

// The encoding a declared value names, of the three; nullopt for any other (iso-8859-1, koi8-r,
// utf-16, or a word that is no encoding). Case, and the common aliases (utf8, latin2, cp1250),
// are accepted.
std::optional<Encoding> encodingOfDeclaredValue(QByteArrayView value);

// Where `<meta charset="…">` goes in a page with no declaration: just after its <head> tag
// (outside comments); -1 when the page has no <head>.
qsizetype headInsertPosition(QByteArrayView bytes);

// ISO-8859-2 and windows-1250 use different codes for six Polish letters (ą ś ź Ą Ś Ź); a file
// read through the program's one rule has both sets read as those letters. How many bytes of
// each set a file holds, and which encoding they point to.
struct PolishByteEvidence {
    qsizetype iso = 0;    // A1 A6 AC B1 B6 BC
    qsizetype cp1250 = 0; // A5 8C 8F B9 9C 9F
    // EncodingIso88592, EncodingCp1250, or nullopt when neither count is larger.
    std::optional<Encoding> pointsTo() const;
};
PolishByteEvidence polishByteEvidence(QByteArrayView bytes);

// A byte that the one reading rule turns into a Polish letter although, in the encoding the file
// is in, it is another character (windows-1250 "±" read as "ą").
struct SwappedCharacter {
    qsizetype line = 0;
    qsizetype column = 0; // in bytes of the line, from 1
    QString was;
    QString readAs;
};
// The places in a file that is really in `actual` (ISO-8859-2 or windows-1250), the first
// `listed` of them, and how many there are in all.
QList<SwappedCharacter> swappedCharacters(QByteArrayView bytes, Encoding actual, int listed,
                                          qsizetype* count = nullptr);

// The one edit of an editor text (UTF-8, lines ended by `lineBreak`) that the encoding change of
// a single document makes for the target encoding: with `rewrite` and a target other than
// Nieznany, the charset line as declarationEdit() changes it, and every other declaration of the
// file's kind naming another of the three given the target's value; in any case a byte-order
// mark at the start dropped (`bomDropped` says whether it was). nullopt when nothing changes.
std::optional<TextEdit> encodingChangeEdit(QByteArrayView text, Encoding target, bool rewrite,
                                           SiteFileKind kind, bool* bomDropped = nullptr);
