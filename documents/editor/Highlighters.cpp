#include "editor/Highlighters.h"

#include <Qsci/qscilexercpp.h>
#include <Qsci/qscilexercss.h>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexerjava.h>
#include <Qsci/qscilexerjavascript.h>
#include <Qsci/qscilexerpascal.h>
#include <Qsci/qscilexerperl.h>
#include <Qsci/qscilexerpython.h>
#include <Qsci/qscilexersql.h>
#include <Qsci/qscilexerxml.h>
#include <Qsci/qsciscintillabase.h>

#include <initializer_list>

namespace {

// JavaScript with the DOM event handler names as a second keyword set, so that they can have a
// colour of their own (QsciLexerCPP::KeywordSet2).
class JavaScriptLexer : public QsciLexerJavaScript {
public:
    using QsciLexerJavaScript::QsciLexerJavaScript;

    const char* keywords(int set) const override
    {
        if (set == 2)
            return "onabort onblur onchange onclick oncontextmenu ondblclick ondrag ondragend "
                   "ondragenter ondragleave ondragover ondragstart ondrop onerror onfocus "
                   "oninput onkeydown onkeypress onkeyup onload onmousedown onmousemove "
                   "onmouseout onmouseover onmouseup onreset onresize onscroll onselect "
                   "onsubmit onunload onwheel";
        return QsciLexerJavaScript::keywords(set);
    }
};

// The Sybase (Transact-SQL) dialect as far as the SQL lexer can carry it: Sybase's reserved
// words and data types instead of the SQL-99 list, its built-in functions as keyword set 5, and
// no SQL*Plus commands (an Oracle client's, which would colour "print" and "exec" as such).
// The lexer matches keyword lists in lower case.
class SybaseSqlLexer : public QsciLexerSQL {
public:
    using QsciLexerSQL::QsciLexerSQL;

    const char* keywords(int set) const override
    {
        switch (set) {
        case 1:
            return "add all alter and any arith_overflow as asc at authorization begin between "
                   "break browse bulk by cascade case char_convert check checkpoint close "
                   "clustered coalesce commit compute confirm connect constraint continue "
                   "controlrow create current cursor database dbcc deallocate declare default "
                   "delete desc deterministic disk distinct double drop dummy dump else end "
                   "endtran errlock errorexit escape except exclusive exec execute exists exit "
                   "exp_row_size external fetch fillfactor for foreign from func go goto grant "
                   "group having holdlock identity identity_gap identity_insert identity_start "
                   "if in index inout insert install intersect into is isolation jar join key "
                   "kill level like lineno load lock materialized max_rows_per_page mirror "
                   "mirrorexit modify national new noholdlock nonclustered nonscrollable "
                   "non_sensitive not null nullif numeric_truncation of off offsets on once "
                   "online only open option or order out output over partition perm permanent "
                   "plan prepare primary print privileges proc procedure processexit "
                   "proxy_table public quiesce raiserror read readpast readtext reconfigure "
                   "references remove reorg replace replication reservepagegap return returns "
                   "revoke role rollback rowcount rows rule save schema scroll scrollable select "
                   "semi_sensitive set setuser shared shutdown some statistics stringsize stripe "
                   "syb_identity syb_restree syb_terminate table temp temporary textsize to "
                   "tracefile tran transaction trigger truncate tsequal union unique unpartition "
                   "update use user user_option using values varying view waitfor when where "
                   "while with work writetext "
                   "bigint binary bit char date datetime dec decimal float image int integer "
                   "money nchar numeric nvarchar real smalldatetime smallint smallmoney text "
                   "time timestamp tinyint unichar unitext univarchar varbinary varchar";
        case 4:
            return nullptr;
        case 5:
            return "abs acos ascii asin atan atn2 avg ceiling char_length charindex col_length "
                   "col_name convert cos cot count datalength dateadd datediff datename datepart "
                   "db_id db_name degrees difference exp floor getdate hextoint host_id "
                   "host_name index_col inttohex isnull left len log log10 lower ltrim max min "
                   "object_id object_name patindex pi power radians rand replicate reverse right "
                   "round rtrim sign sin sortkey soundex space sqrt str str_replace stuff "
                   "substring sum suser_id suser_name tan textptr textvalid upper user_id "
                   "user_name valid_name valid_user";
        default:
            return QsciLexerSQL::keywords(set);
        }
    }
};

constexpr QRgb KeepColour = 0; // transparent: the lexer's own colour stays
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Maroon = qRgb(128, 0, 0);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr QRgb Olive = qRgb(128, 128, 0);
constexpr QRgb Navy = qRgb(0, 0, 128);
constexpr QRgb Purple = qRgb(128, 0, 128);
constexpr QRgb Teal = qRgb(0, 128, 128);
constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Blue = qRgb(0, 0, 255);
constexpr QRgb Fuchsia = qRgb(255, 0, 255);

enum FontStyle : unsigned { Plain = 0, Bold = 1, Italic = 2, Underline = 4 };

struct AttributeSetting {
    Language language;
    const char* attribute;             // the token attribute's name in the colour tables
    std::initializer_list<int> styles; // lexer styles playing its role; empty when none does
    QRgb colour;
    unsigned fontStyle;
};

using H = QsciLexerHTML;
using C = QsciLexerCPP; // also the styles of the Java and JavaScript lexers
using Css = QsciLexerCSS;
using Pl = QsciLexerPerl;
using Py = QsciLexerPython;
using Pas = QsciLexerPascal;
using Sql = QsciLexerSQL;

// Every attribute of the colour tables, with the styles it colours.
//
// "SpaceAttri" (foreground: the window colour) maps to nothing: no lexer has a style for
// whitespace alone; whitespace shares the Default style with text, and its foreground never
// shows anyway. Embedded scripts in HTML, and HTML around PHP code, keep the lexer's colours:
// the tables colour only markup in HTML and only PHP code in PHP.
const AttributeSetting kAttributes[] = {
    // HTML (QsciLexerHTML)
    {Language::Html, "AndAttri", {H::Entity, H::SGMLEntity}, Maroon, Plain},
    {Language::Html,
     "ASPAttri",
     {H::ASPAtStart,
      H::ASPStart,
      H::ASPXCComment,
      H::ASPJavaScriptStart,
      H::ASPJavaScriptDefault,
      H::ASPJavaScriptComment,
      H::ASPJavaScriptCommentLine,
      H::ASPJavaScriptCommentDoc,
      H::ASPJavaScriptNumber,
      H::ASPJavaScriptWord,
      H::ASPJavaScriptKeyword,
      H::ASPJavaScriptDoubleQuotedString,
      H::ASPJavaScriptSingleQuotedString,
      H::ASPJavaScriptSymbol,
      H::ASPJavaScriptUnclosedString,
      H::ASPJavaScriptRegex,
      H::ASPVBScriptStart,
      H::ASPVBScriptDefault,
      H::ASPVBScriptComment,
      H::ASPVBScriptNumber,
      H::ASPVBScriptKeyword,
      H::ASPVBScriptString,
      H::ASPVBScriptIdentifier,
      H::ASPVBScriptUnclosedString,
      H::ASPPythonStart,
      H::ASPPythonDefault,
      H::ASPPythonComment,
      H::ASPPythonNumber,
      H::ASPPythonDoubleQuotedString,
      H::ASPPythonSingleQuotedString,
      H::ASPPythonKeyword,
      H::ASPPythonTripleSingleQuotedString,
      H::ASPPythonTripleDoubleQuotedString,
      H::ASPPythonClassName,
      H::ASPPythonFunctionMethodName,
      H::ASPPythonOperator,
      H::ASPPythonIdentifier},
     KeepColour,
     Bold},
    {Language::Html,
     "CommentAttri",
     {H::HTMLComment, H::SGMLComment, H::SGMLParameterComment},
     Teal,
     Bold | Italic},
    {Language::Html, "IdentifierAttri", {H::Attribute, H::SGMLParameter}, Red, Plain},
    {Language::Html,
     "KeyAttri",
     {H::Tag, H::XMLTagEnd, H::SGMLDefault, H::SGMLCommand, H::SGMLBlockDefault},
     Blue,
     Plain},
    {Language::Html, "SpaceAttri", {}, KeepColour, Plain},
    // '=' between an attribute and its value; the lexer keeps '<' and '>' in the tag's style.
    {Language::Html, "SymbolAttri", {H::OtherInTag, H::XMLStart, H::XMLEnd}, Black, Plain},
    {Language::Html, "TextAttri", {H::Default, H::CDATA}, Black, Bold},
    {Language::Html,
     "UndefKeyAttri",
     {H::UnknownTag, H::UnknownAttribute, H::SGMLError},
     Teal,
     Plain},
    {Language::Html,
     "ValueAttri",
     {H::HTMLDoubleQuotedString, H::HTMLSingleQuotedString, H::HTMLValue, H::HTMLNumber,
      H::SGMLDoubleQuotedString, H::SGMLSingleQuotedString},
     Green,
     Bold},

    // XML (QsciLexerXML: the HTML lexer's styles). The lexer never looks inside braces in
    // attribute values, which is what switching brace parsing off asks for.
    {Language::Xml, "AttributeAttri", {H::Attribute, H::UnknownAttribute}, KeepColour, Bold},
    {Language::Xml, "CDATAAttri", {H::CDATA}, KeepColour, Bold | Italic},
    {Language::Xml,
     "CommentAttri",
     {H::HTMLComment, H::SGMLComment, H::SGMLParameterComment},
     Green,
     Plain},
    {Language::Xml, "SpaceAttri", {}, KeepColour, Plain},
    {Language::Xml,
     "SymbolAttri",
     {H::OtherInTag, H::XMLTagEnd, H::XMLStart, H::XMLEnd},
     KeepColour,
     Bold},

    // CSS (QsciLexerCSS). Numbers are part of a property's value there: NumberAttri has no
    // style of its own and numbers take the value's colour (IdentifierAttri).
    {Language::Css, "CommentAttri", {Css::Comment}, Green, Plain},
    {Language::Css,
     "IdentifierAttri",
     {Css::Tag, Css::ClassSelector, Css::IDSelector, Css::PseudoClass, Css::UnknownPseudoClass,
      Css::PseudoElement, Css::ExtendedPseudoClass, Css::ExtendedPseudoElement, Css::Attribute,
      Css::UnknownProperty, Css::Value, Css::Variable},
     Black,
     Bold},
    {Language::Css,
     "KeyAttri",
     {Css::CSS1Property, Css::CSS2Property, Css::CSS3Property, Css::ExtendedCSSProperty,
      Css::AtRule, Css::MediaRule, Css::Important},
     Blue,
     Plain},
    {Language::Css, "NumberAttri", {}, Red, Bold},
    {Language::Css, "SpaceAttri", {}, KeepColour, Plain},
    {Language::Css, "StringAttri", {Css::DoubleQuotedString, Css::SingleQuotedString}, Navy, Bold},
    {Language::Css, "SymbolAttri", {Css::Operator}, Black, Bold},

    // Java (QsciLexerJava). An unterminated string is the one token the lexer calls invalid.
    {Language::Java, "CommentAttri", {C::Comment, C::CommentLine}, Green, Plain},
    {Language::Java,
     "DocumentAttri",
     {C::CommentDoc, C::CommentLineDoc, C::CommentDocKeyword, C::CommentDocKeywordError},
     Teal,
     Plain},
    {Language::Java, "IdentifierAttri", {C::Identifier, C::GlobalClass}, Black, Bold},
    {Language::Java, "InvalidAttri", {C::UnclosedString}, Maroon, Italic},
    {Language::Java, "KeyAttri", {C::Keyword, C::KeywordSet2}, Blue, Plain},
    {Language::Java, "NumberAttri", {C::Number}, Red, Bold},
    {Language::Java,
     "StringAttri",
     {C::DoubleQuotedString, C::SingleQuotedString, C::TripleQuotedVerbatimString},
     Black,
     Bold},
    {Language::Java, "SymbolAttri", {C::Operator}, Black, Bold},

    // JavaScript (QsciLexerJavaScript, with the event names as keyword set 2)
    {Language::JavaScript,
     "CommentAttri",
     {C::Comment, C::CommentLine, C::CommentDoc, C::CommentLineDoc, C::CommentDocKeyword,
      C::CommentDocKeywordError},
     Green,
     Plain},
    {Language::JavaScript, "IdentifierAttri", {C::Identifier, C::GlobalClass}, Black, Bold},
    {Language::JavaScript, "KeyAttri", {C::Keyword}, Blue, Plain},
    {Language::JavaScript, "EventAttri", {C::KeywordSet2}, Purple, Bold},
    {Language::JavaScript, "NumberAttri", {C::Number}, Red, Bold},
    {Language::JavaScript, "SpaceAttri", {}, KeepColour, Plain},
    {Language::JavaScript,
     "StringAttri",
     {C::DoubleQuotedString, C::SingleQuotedString, C::UnclosedString, C::Regex},
     Navy,
     Bold},
    {Language::JavaScript, "SymbolAttri", {C::Operator}, Black, Bold},

    // PHP (a second QsciLexerHTML: its PHP styles). The lexer has no style for an invalid
    // symbol. Words that are not keywords (function and constant names) are PHP's default
    // style, which whitespace shares. "<?php" and "?>" count as symbols.
    {Language::Php, "CommentAttri", {H::PHPComment, H::PHPCommentLine}, Green, Plain},
    {Language::Php, "IdentifierAttri", {H::PHPDefault}, Black, Bold},
    {Language::Php, "InvalidSymbolAttri", {}, Maroon, Italic},
    {Language::Php, "KeyAttri", {H::PHPKeyword}, Blue, Plain},
    {Language::Php, "NumberAttri", {H::PHPNumber}, Red, Bold},
    {Language::Php, "SpaceAttri", {}, KeepColour, Plain},
    {Language::Php,
     "StringAttri",
     {H::PHPDoubleQuotedString, H::PHPSingleQuotedString},
     Black,
     Bold},
    {Language::Php, "SymbolAttri", {H::PHPOperator, H::PHPStart}, Black, Bold},
    {Language::Php, "VariableAttri", {H::PHPVariable, H::PHPDoubleQuotedVariable}, Purple, Bold},

    // Perl (QsciLexerPerl). POD documentation counts as comment; quote-like operators, regular
    // expressions and here-documents as strings; variables interpolated into them as variables.
    {Language::Perl, "CommentAttri", {Pl::Comment, Pl::POD, Pl::PODVerbatim}, Green, Plain},
    {Language::Perl, "IdentifierAttri", {Pl::Identifier, Pl::FormatIdentifier}, Black, Bold},
    {Language::Perl, "KeyAttri", {Pl::Keyword}, Blue, Plain},
    {Language::Perl, "NumberAttri", {Pl::Number}, Red, Bold},
    {Language::Perl,
     "StringAttri",
     {Pl::DoubleQuotedString, Pl::SingleQuotedString, Pl::Backticks, Pl::HereDocumentDelimiter,
      Pl::SingleQuotedHereDocument, Pl::DoubleQuotedHereDocument, Pl::BacktickHereDocument,
      Pl::QuotedStringQ, Pl::QuotedStringQQ, Pl::QuotedStringQX, Pl::QuotedStringQR,
      Pl::QuotedStringQW, Pl::Regex, Pl::Substitution, Pl::Translation},
     Black,
     Bold},
    {Language::Perl, "SymbolAttri", {Pl::Operator, Pl::SubroutinePrototype}, Black, Bold},
    {Language::Perl,
     "VariableAttri",
     {Pl::Scalar, Pl::Array, Pl::Hash, Pl::SymbolTable, Pl::DoubleQuotedStringVar, Pl::RegexVar,
      Pl::SubstitutionVar, Pl::BackticksVar, Pl::DoubleQuotedHereDocumentVar,
      Pl::BacktickHereDocumentVar, Pl::QuotedStringQQVar, Pl::QuotedStringQXVar,
      Pl::QuotedStringQRVar},
     Maroon,
     Plain},

    // Python (QsciLexerPython)
    {Language::Python, "CommentAttri", {Py::Comment, Py::CommentBlock}, Green, Plain},
    {Language::Python,
     "IdentifierAttri",
     {Py::Identifier, Py::ClassName, Py::FunctionMethodName, Py::HighlightedIdentifier,
      Py::Decorator},
     Black,
     Bold},
    {Language::Python, "KeyAttri", {Py::Keyword}, Blue, Plain},
    {Language::Python, "NumberAttri", {Py::Number}, Red, Bold},
    {Language::Python, "SpaceAttri", {}, KeepColour, Plain},
    {Language::Python,
     "StringAttri",
     {Py::DoubleQuotedString, Py::SingleQuotedString, Py::TripleSingleQuotedString,
      Py::TripleDoubleQuotedString, Py::DoubleQuotedFString, Py::SingleQuotedFString,
      Py::TripleSingleQuotedFString, Py::TripleDoubleQuotedFString, Py::UnclosedString},
     Navy,
     Bold},
    {Language::Python, "SymbolAttri", {Py::Operator}, Black, Bold},

    // Pascal (QsciLexerPascal). It has one keyword list, that of current Delphi and Free
    // Pascal, and cannot be narrowed to an older language version. It does not tell a real
    // number from an integer: FloatAttri has no style, and "1.5" gets NumberAttri's colour.
    {Language::Pascal, "AsmAttri", {Pas::Asm}, Red, Bold},
    {Language::Pascal,
     "CommentAttri",
     {Pas::Comment, Pas::CommentParenthesis, Pas::CommentLine},
     Green,
     Plain},
    {Language::Pascal,
     "DirectiveAttri",
     {Pas::PreProcessor, Pas::PreProcessorParenthesis},
     Teal,
     Bold | Italic},
    {Language::Pascal, "IdentifierAttri", {Pas::Identifier}, Black, Bold},
    {Language::Pascal, "KeyAttri", {Pas::Keyword}, Blue, Plain},
    {Language::Pascal, "NumberAttri", {Pas::Number}, Red, Bold},
    {Language::Pascal, "FloatAttri", {}, Fuchsia, Bold | Underline},
    {Language::Pascal, "HexAttri", {Pas::HexNumber}, Red, Bold},
    {Language::Pascal, "SpaceAttri", {}, KeepColour, Plain},
    {Language::Pascal, "StringAttri", {Pas::SingleQuotedString, Pas::UnclosedString}, Navy, Bold},
    {Language::Pascal, "CharAttri", {Pas::Character}, Black, Bold},
    {Language::Pascal, "SymbolAttri", {Pas::Operator}, Black, Bold},

    // C and C++ (QsciLexerCPP). The lexer has no style for inline assembler, and one style for
    // every number, so AsmAttri, FloatAttri and OctalAttri have none; numbers take
    // NumberAttri's red bold, which HexAttri shares. Code switched off by the preprocessor keeps
    // the lexer's greyed "inactive" styles.
    {Language::Cpp, "AsmAttri", {}, Red, Bold},
    {Language::Cpp,
     "CommentAttri",
     {C::Comment, C::CommentLine, C::CommentDoc, C::CommentLineDoc, C::CommentDocKeyword,
      C::CommentDocKeywordError, C::PreProcessorComment, C::PreProcessorCommentLineDoc,
      C::TaskMarker},
     Green,
     Plain},
    {Language::Cpp, "DirecAttri", {C::PreProcessor}, Teal, Bold},
    {Language::Cpp, "IdentifierAttri", {C::Identifier, C::GlobalClass}, Black, Bold},
    {Language::Cpp, "InvalidAttri", {C::UnclosedString}, Maroon, Bold | Italic},
    {Language::Cpp, "KeyAttri", {C::Keyword, C::KeywordSet2}, Blue, Plain},
    {Language::Cpp, "NumberAttri", {C::Number, C::UserLiteral}, Red, Bold},
    {Language::Cpp, "FloatAttri", {}, Fuchsia, Bold},
    {Language::Cpp, "HexAttri", {}, Red, Bold},
    {Language::Cpp, "OctalAttri", {}, Teal, Bold},
    {Language::Cpp,
     "StringAttri",
     {C::DoubleQuotedString, C::RawString, C::EscapeSequence},
     Navy,
     Bold},
    {Language::Cpp, "CharAttri", {C::SingleQuotedString}, Black, Bold},
    {Language::Cpp, "SymbolAttri", {C::Operator}, Black, Bold},

    // SQL (QsciLexerSQL with Sybase's word lists). Sybase has no PL/SQL and no list of
    // exceptions, and the lexer knows no table names and no variables ('@' is an operator
    // character to it, "@total" an operator and an identifier), so PLSQLAttri, ExceptionAttri,
    // TableNameAttri and VariableAttri have no style.
    {Language::Sql,
     "CommentAttri",
     {Sql::Comment, Sql::CommentLine, Sql::CommentDoc, Sql::CommentLineHash, Sql::CommentDocKeyword,
      Sql::CommentDocKeywordError},
     Green,
     Plain},
    {Language::Sql, "ExceptionAttri", {}, Purple, Plain},
    {Language::Sql, "FunctionAttri", {Sql::KeywordSet5}, Teal, Plain},
    {Language::Sql, "IdentifierAttri", {Sql::Identifier, Sql::QuotedIdentifier}, Black, Bold},
    {Language::Sql, "KeyAttri", {Sql::Keyword}, Blue, Plain},
    {Language::Sql, "NumberAttri", {Sql::Number}, Red, Bold},
    {Language::Sql, "PLSQLAttri", {}, Maroon, Plain},
    {Language::Sql, "SpaceAttri", {}, KeepColour, Plain},
    {Language::Sql, "StringAttri", {Sql::DoubleQuotedString, Sql::SingleQuotedString}, Navy, Bold},
    {Language::Sql, "SymbolAttri", {Sql::Operator, Sql::QuotedOperator}, Black, Bold},
    {Language::Sql, "TableNameAttri", {}, Olive, Bold},
    {Language::Sql, "VariableAttri", {}, Fuchsia, Bold},
};

// In the order of enum Language.
constexpr const char* kComponentNames[LanguageCount] = {
    "HTMLSyn", "XMLSyn",    "CssSyn", "JavaSyn", "JScriptSyn", "PHPSyn",
    "PerlSyn", "PythonSyn", "PasSyn", "CppSyn",  "SqlSyn",
};

QsciLexer* createLexer(Language language, QObject* parent)
{
    switch (language) {
    case Language::Html:
    case Language::Php:
        return new QsciLexerHTML(parent);
    case Language::Xml:
        return new QsciLexerXML(parent);
    case Language::Css:
        return new QsciLexerCSS(parent);
    case Language::Java:
        return new QsciLexerJava(parent);
    case Language::JavaScript:
        return new JavaScriptLexer(parent);
    case Language::Perl:
        return new QsciLexerPerl(parent);
    case Language::Python:
        return new QsciLexerPython(parent);
    case Language::Pascal:
        return new QsciLexerPascal(parent);
    case Language::Cpp:
        return new QsciLexerCPP(parent);
    case Language::Sql:
        return new SybaseSqlLexer(parent);
    }
    Q_UNREACHABLE();
}

int index(Language language)
{
    return static_cast<int>(language);
}

} // namespace

Highlighters::Highlighters(const QFont& font, QObject* parent) : QObject(parent)
{
    for (int i = 0; i < LanguageCount; ++i) {
        const auto language = static_cast<Language>(i);
        QsciLexer* lexer = createLexer(language, this);
        lexer->setObjectName(QString::fromLatin1(kComponentNames[i]));
        // One font and a white page for every style; the table below only adds colour, weight,
        // slant and underline. Background tints of embedded scripts and error styles go too.
        lexer->setDefaultFont(font);
        lexer->setFont(font, -1);
        lexer->setDefaultPaper(Qt::white);
        lexer->setPaper(Qt::white, -1);
        m_lexers[i] = lexer;
    }

    for (const AttributeSetting& setting : kAttributes) {
        QsciLexer* lexer = m_lexers[index(setting.language)];
        QFont styled = font;
        if (setting.fontStyle & Bold)
            styled.setBold(true);
        if (setting.fontStyle & Italic)
            styled.setItalic(true);
        if (setting.fontStyle & Underline)
            styled.setUnderline(true);
        for (int style : setting.styles) {
            lexer->setFont(styled, style);
            if (setting.colour != KeepColour)
                lexer->setColor(QColor::fromRgb(setting.colour), style);
        }
    }
}

QsciLexer* Highlighters::lexer(Language language) const
{
    return m_lexers[index(language)];
}

QString Highlighters::componentName(Language language)
{
    return QString::fromLatin1(kComponentNames[index(language)]);
}
