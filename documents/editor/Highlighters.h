#pragma once

#include <QFont>
#include <QObject>
#include <array>

class QsciLexer;

enum class Language { Html, Xml, Css, Java, JavaScript, Php, Perl, Python, Pascal, Cpp, Sql };
inline constexpr int LanguageCount = 11;

// The eleven lexers shared by every editor, configured once with the program's colours and one
// monospace font.
class Highlighters : public QObject {
    Q_OBJECT
public:
    explicit Highlighters(const QFont& font, QObject* parent = nullptr);

    // Never null; objectName is the component name ("HTMLSyn", "XMLSyn", ...).
    QsciLexer* lexer(Language language) const;

    // "HTMLSyn", "XMLSyn", "CssSyn", "JavaSyn", "JScriptSyn", "PHPSyn", "PerlSyn", "PythonSyn",
    // "PasSyn", "CppSyn", "SqlSyn".
    static QString componentName(Language language);

private:
    std::array<QsciLexer*, LanguageCount> m_lexers{};
};
