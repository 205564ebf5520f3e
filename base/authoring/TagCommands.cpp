#include "authoring/TagCommands.h"

namespace {

constexpr TagCommand TagCommands[] = {
    {"mnuHtmlClick", "<html>", "</html>"},
    {"mnuHeadClick", "<head>", "</head>"},
    {"mnuBodyClick", "<body>", "</body>"},
    {"mnuMetaClick", "<meta", ">"},
    {"mnuCharsetClick", "content=\"text/html; charset=utf-8\"", " "},
    {"mnuH1Click", "<h1>", "</h1>"},
    {"mnuH2Click", "<h2>", "</h2>"},
    {"mnuH3Click", "<h3>", "</h3>"},
    {"mnuH4Click", "<h4>", "</h4>"},
    {"mnuH5Click", "<h5>", "</h5>"},
    {"mnuH6Click", "<h6>", "</h6>"},
    {"mnuBigClick", "<b>", "</b>"},
    {"mnuKursywaClick", "<i>", "</i>"},
    {"mnuTTClick", "<tt>", "</tt>"},
    {"mnuBig2Click", "<big>", "</big>"},
    {"mnuSmallClick", "<small>", "</small>"},
    {"mnuSubClick", "<sub>", "</sub>"},
    {"mnuSupClick", "<sup>", "</sup>"},
    {"mnuEmClick", "<em>", "</em>"},
    {"mnuStrongClick", "<strong>", "</strong>"},
    {"mnuSampClick", "<samp>", "</samp>"},
    {"mnuCiteClick", "<cite>", "</cite>"},
    {"subDIVClick", "<div>", "</div>"},
    {"subPClick", "<p>", "</p>"},
    {"subBRClick", " ", "<br />"},
    {"mnuLiniaClick", "<hr />", " "},
    {"mnuListaULClick", "<ul>", "</ul>"},
    {"mnuOlClick", "<ol>", "</ol>"},
    {"mnuLiClick", "<li>", "</li>"},
    {"mnuDlClick", "<dl>", "</dl>"},
    {"mnuDtClick", "<dt>", "</dt>"},
    {"mnuDdClick", "<dd>", "</dd>"},
    {"mnuTableClick", "<table>", "</table>"},
    {"mnuTrClick", "<tr>", "</tr>"},
    {"mnuTdClick", "<td>", "</td>"},
    {"mnuThClick", "<th>", "</th>"},
    {"mnuTheadClick", "<thead>", "</thead>"},
    {"mnuFormClick", "<form>", "</form>"},
    {"mnuInputClick", "<input ", "/>"},
    {"mnuTexareaClick", "<textarea>", "</textarea>"},
    {"mnuButtonClick", "<button>", "</button>"},
    {"mnuSelectClick", "<select>", "</select>"},
    {"mnuOptionClick", "<option>", "</option>"},
    {"mnuLabelClick", "<label>", "</label>"},
    {"mnuHrefClick", "<a href=\"plik.html\">nazwa </a>", " "},
    {"mnuMailClick", "<a href=\"mailto:adres@domena.pl\">", " "},
    {"mnuImgClick", "<img src=\" \" />", " "},
    {"mnuTargetClick", "target=\"_blank\"", " "},
};

} // namespace

std::span<const TagCommand> tagCommands()
{
    return TagCommands;
}
