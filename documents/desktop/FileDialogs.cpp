#include "desktop/FileDialogs.h"

namespace {

struct FilterDef {
    const char* description;
    const char* patterns;
};

constexpr FilterDef OpenFilters[] = {
    {"Plik HTML (htm; html)", "*.htm;*.html"},
    {"Dowolny plik  (*.*)", "*.*"},
    {"Plik Delphi (pas;dpr;dpk;inc)", "*.pas;*.dpr;*.dpk;*.inc"},
    {"Plik Cpp (c, cpp, h, hpp)", "*.c;*.cpp;*.h;*.hpp"},
    {"Plik PHP (php, php3, phtml, inc)", "*.php;*.php3;*.phtml;*.inc"},
    {"Plik Perla (pl, pm, cgi)", "*.pl;*.pm;*.cgi"},
    {"Plik XML (xml, xsd, xsl, xslt, dtd)", "*.xml;*.xsd;*.xsl;*.xslt;*.dtd"},
    {"Plik Pytona (py)", "*.py"},
    {"Plik CSS (.css)", "*.css"},
    {"Plik Java  (.js, .java)", "*.js;*.java"},
    {"Plik SQL (.sql)", "*.sql"},
};

constexpr FilterDef SaveFilters[] = {
    {"Plik HTML (*.htm; *.html)", "*.htm;*.html"},
    {"Dowolny Plik  (*.*)", "*.*"},
};

// Qt's filter form: the description followed by the patterns in brackets, which the dialogs
// hide. "*.*" means any file, with or without a dot in its name.
template <std::size_t N> FileDialogRequest requestWith(const FilterDef (&filters)[N])
{
    FileDialogRequest request;
    for (const FilterDef& filter : filters) {
        QString patterns = QString::fromLatin1(filter.patterns);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        request.filters << QStringLiteral("%1 (%2)").arg(QString::fromUtf8(filter.description),
                                                         patterns);
    }
    request.defaultSuffix = QStringLiteral("htm");
    return request;
}

} // namespace

FileDialogRequest openDialogRequest()
{
    return requestWith(OpenFilters);
}

FileDialogRequest saveDialogRequest()
{
    return requestWith(SaveFilters);
}
