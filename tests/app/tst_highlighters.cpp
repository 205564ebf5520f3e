#include "editor/Highlighters.h"

#include <QFontDatabase>
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>
#include <QtTest>

Q_DECLARE_METATYPE(Language)

namespace {

// Colours of the colour tables.
const QColor Black(0, 0, 0);
const QColor Maroon(128, 0, 0);
const QColor Green(0, 128, 0);
const QColor Navy(0, 0, 128);
const QColor Purple(128, 0, 128);
const QColor Teal(0, 128, 128);
const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor AnyColour; // the table leaves the lexer's colour

enum Weight { Plain = 0, Bold = 1, Italic = 2 };

QColor fromBgr(long bgr)
{
    return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

} // namespace

class TestHighlighters : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void lexerPerLanguage_data();
    void lexerPerLanguage();

    void everyStyleUsesTheFontOnWhite_data();
    void everyStyleUsesTheFontOnWhite();

    void tokenColours_data();
    void tokenColours();

private:
    QFont m_font;
};

void TestHighlighters::initTestCase()
{
    m_font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_font.setPointSize(11);
}

void TestHighlighters::lexerPerLanguage_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("lexerLanguage");
    QTest::addColumn<QString>("lexerClass");

    QTest::newRow("HTML") << Language::Html << "HTMLSyn"
                          << "HTML"
                          << "QsciLexerHTML";
    QTest::newRow("XML") << Language::Xml << "XMLSyn"
                         << "XML"
                         << "QsciLexerXML";
    QTest::newRow("CSS") << Language::Css << "CssSyn"
                         << "CSS"
                         << "QsciLexerCSS";
    QTest::newRow("Java") << Language::Java << "JavaSyn"
                          << "Java"
                          << "QsciLexerJava";
    QTest::newRow("JavaScript") << Language::JavaScript << "JScriptSyn"
                                << "JavaScript"
                                << "QsciLexerJavaScript";
    QTest::newRow("PHP") << Language::Php << "PHPSyn"
                         << "HTML"
                         << "QsciLexerHTML";
    QTest::newRow("Perl") << Language::Perl << "PerlSyn"
                          << "Perl"
                          << "QsciLexerPerl";
    QTest::newRow("Python") << Language::Python << "PythonSyn"
                            << "Python"
                            << "QsciLexerPython";
    QTest::newRow("Pascal") << Language::Pascal << "PasSyn"
                            << "Pascal"
                            << "QsciLexerPascal";
    QTest::newRow("C++") << Language::Cpp << "CppSyn"
                         << "C++"
                         << "QsciLexerCPP";
    QTest::newRow("SQL") << Language::Sql << "SqlSyn"
                         << "SQL"
                         << "QsciLexerSQL";
}

void TestHighlighters::lexerPerLanguage()
{
    QFETCH(Language, language);
    QFETCH(QString, component);
    QFETCH(QString, lexerLanguage);
    QFETCH(QString, lexerClass);

    Highlighters highlighters(m_font);
    QsciLexer* lexer = highlighters.lexer(language);
    QVERIFY(lexer);
    QCOMPARE(lexer->objectName(), component);
    QCOMPARE(Highlighters::componentName(language), component);
    QCOMPARE(QString::fromLatin1(lexer->language()), lexerLanguage);
    QVERIFY(lexer->inherits(lexerClass.toLatin1().constData()));

    // HTML and PHP share a lexer class but never an instance.
    if (language == Language::Php)
        QVERIFY(lexer != highlighters.lexer(Language::Html));
}

void TestHighlighters::everyStyleUsesTheFontOnWhite_data()
{
    QTest::addColumn<Language>("language");
    for (int i = 0; i < LanguageCount; ++i) {
        const auto language = static_cast<Language>(i);
        QTest::newRow(qPrintable(Highlighters::componentName(language))) << language;
    }
}

void TestHighlighters::everyStyleUsesTheFontOnWhite()
{
    QFETCH(Language, language);

    Highlighters highlighters(m_font);
    const QsciLexer* lexer = highlighters.lexer(language);
    int described = 0;
    for (int style = 0; style <= QsciScintillaBase::STYLE_MAX; ++style) {
        if (lexer->description(style).isEmpty())
            continue;
        ++described;
        const QFont font = lexer->font(style);
        QVERIFY2(font.family() == m_font.family() && font.pointSize() == m_font.pointSize(),
                 qPrintable(QStringLiteral("style %1 (%2): %3 %4")
                                .arg(style)
                                .arg(lexer->description(style), font.family())
                                .arg(font.pointSize())));
        QCOMPARE(lexer->paper(style), QColor(Qt::white));
    }
    QVERIFY(described > 5);
}

void TestHighlighters::tokenColours_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("token"); // its first character is looked at
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("weight");

    const QString html =
        QStringLiteral("<!DOCTYPE html><p class=\"x\">a &amp; b<!-- c --><foo><% x = 1 %></p>");
    QTest::newRow("HTML tag") << Language::Html << html << "<p" << Blue << +Plain;
    QTest::newRow("HTML doctype") << Language::Html << html << "DOCTYPE" << Blue << +Plain;
    QTest::newRow("HTML attribute") << Language::Html << html << "class" << Red << +Plain;
    QTest::newRow("HTML equals sign") << Language::Html << html << "=" << Black << +Plain;
    QTest::newRow("HTML value") << Language::Html << html << "\"x\"" << Green << +Bold;
    QTest::newRow("HTML text") << Language::Html << html << "a &" << Black << +Bold;
    QTest::newRow("HTML entity") << Language::Html << html << "&amp;" << Maroon << +Plain;
    QTest::newRow("HTML comment") << Language::Html << html << "<!--" << Teal << (Bold | Italic);
    QTest::newRow("HTML unknown tag") << Language::Html << html << "<foo" << Teal << +Plain;
    QTest::newRow("HTML ASP") << Language::Html << html << "<%" << AnyColour << +Bold;

    const QString xml =
        QStringLiteral("<?xml version=\"1.0\"?><a bee=\"c\"><![CDATA[x]]><!-- d --><e/></a>");
    QTest::newRow("XML attribute") << Language::Xml << xml << "bee" << AnyColour << +Bold;
    QTest::newRow("XML CDATA") << Language::Xml << xml << "<![CDATA[" << AnyColour
                               << (Bold | Italic);
    QTest::newRow("XML comment") << Language::Xml << xml << "<!--" << Green << +Plain;
    QTest::newRow("XML tag end") << Language::Xml << xml << "/>" << AnyColour << +Bold;

    const QString css = QStringLiteral("p.x { color: red } /* c */ a { content: \"s\" }");
    QTest::newRow("CSS property") << Language::Css << css << "color" << Blue << +Plain;
    QTest::newRow("CSS selector") << Language::Css << css << "x {" << Black << +Bold;
    QTest::newRow("CSS value") << Language::Css << css << "red" << Black << +Bold;
    QTest::newRow("CSS brace") << Language::Css << css << "{" << Black << +Bold;
    QTest::newRow("CSS comment") << Language::Css << css << "/*" << Green << +Plain;
    QTest::newRow("CSS string") << Language::Css << css << "\"s\"" << Navy << +Bold;

    const QString java =
        QStringLiteral("/** d */ class A { int n = 42; String s = \"t\"; } // c\n\"open");
    QTest::newRow("Java doc comment") << Language::Java << java << "/**" << Teal << +Plain;
    QTest::newRow("Java keyword") << Language::Java << java << "class" << Blue << +Plain;
    QTest::newRow("Java identifier") << Language::Java << java << "A {" << Black << +Bold;
    QTest::newRow("Java number") << Language::Java << java << "42" << Red << +Bold;
    QTest::newRow("Java string") << Language::Java << java << "\"t\"" << Black << +Bold;
    QTest::newRow("Java symbol") << Language::Java << java << "{" << Black << +Bold;
    QTest::newRow("Java comment") << Language::Java << java << "// c" << Green << +Plain;
    QTest::newRow("Java invalid") << Language::Java << java << "\"open" << Maroon << +Italic;

    const QString js = QStringLiteral("window.onload = function() { return \"a\" + 1.5; } // c");
    QTest::newRow("JS event") << Language::JavaScript << js << "onload" << Purple << +Bold;
    QTest::newRow("JS keyword") << Language::JavaScript << js << "function" << Blue << +Plain;
    QTest::newRow("JS identifier") << Language::JavaScript << js << "window" << Black << +Bold;
    QTest::newRow("JS string") << Language::JavaScript << js << "\"a\"" << Navy << +Bold;
    QTest::newRow("JS number") << Language::JavaScript << js << "1.5" << Red << +Bold;
    QTest::newRow("JS comment") << Language::JavaScript << js << "// c" << Green << +Plain;

    const QString php = QStringLiteral("<?php $a = 5; echo 'x'; foo(); // c\n?>");
    QTest::newRow("PHP variable") << Language::Php << php << "$a" << Purple << +Bold;
    QTest::newRow("PHP number") << Language::Php << php << "5" << Red << +Bold;
    QTest::newRow("PHP keyword") << Language::Php << php << "echo" << Blue << +Plain;
    QTest::newRow("PHP string") << Language::Php << php << "'x'" << Black << +Bold;
    QTest::newRow("PHP identifier") << Language::Php << php << "foo" << Black << +Bold;
    QTest::newRow("PHP symbol") << Language::Php << php << "=" << Black << +Bold;
    QTest::newRow("PHP comment") << Language::Php << php << "// c" << Green << +Plain;

    const QString perl = QStringLiteral("my $x = \"s $y\"; # c");
    QTest::newRow("Perl keyword") << Language::Perl << perl << "my" << Blue << +Plain;
    QTest::newRow("Perl variable") << Language::Perl << perl << "$x" << Maroon << +Plain;
    QTest::newRow("Perl string") << Language::Perl << perl << "\"s" << Black << +Bold;
    QTest::newRow("Perl interpolated") << Language::Perl << perl << "$y" << Maroon << +Plain;
    QTest::newRow("Perl comment") << Language::Perl << perl << "# c" << Green << +Plain;

    const QString python = QStringLiteral("def f(n): return 'x' * 3 # c");
    QTest::newRow("Python keyword") << Language::Python << python << "def" << Blue << +Plain;
    QTest::newRow("Python function") << Language::Python << python << "f(" << Black << +Bold;
    QTest::newRow("Python string") << Language::Python << python << "'x'" << Navy << +Bold;
    QTest::newRow("Python number") << Language::Python << python << "3" << Red << +Bold;
    QTest::newRow("Python symbol") << Language::Python << python << "*" << Black << +Bold;
    QTest::newRow("Python comment") << Language::Python << python << "# c" << Green << +Plain;

    const QString pascal =
        QStringLiteral("{$R+} x := $FF + 1; s := 'a'#13; asm mov ax, 1 end; // c");
    QTest::newRow("Pascal directive")
        << Language::Pascal << pascal << "{$R+}" << Teal << (Bold | Italic);
    QTest::newRow("Pascal identifier") << Language::Pascal << pascal << "x :=" << Black << +Bold;
    QTest::newRow("Pascal hex") << Language::Pascal << pascal << "$FF" << Red << +Bold;
    QTest::newRow("Pascal number") << Language::Pascal << pascal << "1;" << Red << +Bold;
    QTest::newRow("Pascal string") << Language::Pascal << pascal << "'a'" << Navy << +Bold;
    QTest::newRow("Pascal char") << Language::Pascal << pascal << "#13" << Black << +Bold;
    QTest::newRow("Pascal keyword") << Language::Pascal << pascal << "asm" << Blue << +Plain;
    QTest::newRow("Pascal asm") << Language::Pascal << pascal << "mov" << Red << +Bold;
    QTest::newRow("Pascal comment") << Language::Pascal << pascal << "// c" << Green << +Plain;

    const QString cpp = QStringLiteral("#include <x>\nint x = 0x1F; char c = 'c'; // c\n\"open");
    QTest::newRow("C++ directive") << Language::Cpp << cpp << "#include" << Teal << +Bold;
    QTest::newRow("C++ keyword") << Language::Cpp << cpp << "int" << Blue << +Plain;
    QTest::newRow("C++ identifier") << Language::Cpp << cpp << "x =" << Black << +Bold;
    QTest::newRow("C++ number") << Language::Cpp << cpp << "0x1F" << Red << +Bold;
    QTest::newRow("C++ char") << Language::Cpp << cpp << "'c'" << Black << +Bold;
    QTest::newRow("C++ comment") << Language::Cpp << cpp << "// c" << Green << +Plain;
    QTest::newRow("C++ invalid") << Language::Cpp << cpp << "\"open" << Maroon << (Bold | Italic);

    const QString sql = QStringLiteral("select count(*) from t where a = 'x' -- c\nraiserror");
    QTest::newRow("SQL keyword") << Language::Sql << sql << "select" << Blue << +Plain;
    QTest::newRow("SQL function") << Language::Sql << sql << "count" << Teal << +Plain;
    QTest::newRow("SQL identifier") << Language::Sql << sql << "t where" << Black << +Bold;
    QTest::newRow("SQL string") << Language::Sql << sql << "'x'" << Navy << +Bold;
    QTest::newRow("SQL symbol") << Language::Sql << sql << "=" << Black << +Bold;
    QTest::newRow("SQL comment") << Language::Sql << sql << "-- c" << Green << +Plain;
    QTest::newRow("SQL Sybase keyword") << Language::Sql << sql << "raiserror" << Blue << +Plain;
}

void TestHighlighters::tokenColours()
{
    QFETCH(Language, language);
    QFETCH(QString, text);
    QFETCH(QString, token);
    QFETCH(QColor, colour);
    QFETCH(int, weight);

    Highlighters highlighters(m_font);
    QsciScintilla editor;
    editor.setUtf8(true);
    editor.setLexer(highlighters.lexer(language));
    editor.setText(text);
    editor.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0, -1);

    const int position = text.indexOf(token); // the samples are ASCII: bytes are characters
    QVERIFY(position >= 0);
    const long style = editor.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, position);
    const QString where = QStringLiteral("style %1 at \"%2\"").arg(style).arg(token);

    if (colour.isValid()) {
        const QColor fore =
            fromBgr(editor.SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, style));
        QVERIFY2(fore == colour, qPrintable(where + QStringLiteral(": %1").arg(fore.name())));
    }
    // QScintilla hands Scintilla Qt's own font weights, which SCI_STYLEGETBOLD does not read.
    const QFont font = editor.lexer()->font(style);
    QVERIFY2(font.bold() == bool(weight & Bold), qPrintable(where));
    QVERIFY2(font.italic() == bool(weight & Italic), qPrintable(where));
    QVERIFY2(!font.underline(), qPrintable(where));
}

QTEST_MAIN(TestHighlighters)
#include "tst_highlighters.moc"
