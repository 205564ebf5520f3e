#include "authoring/TagCommands.h"

#include "common/Commands.h"

namespace {

constexpr TagCommand TagCommands[] = {
    {Cmd::mnuHtmlClick, "<html>", "</html>"},
    {Cmd::mnuHeadClick, "<head>", "</head>"},
    {Cmd::mnuBodyClick, "<body>", "</body>"},
    {Cmd::mnuMetaClick, "<meta", ">"},
    {Cmd::mnuCharsetClick, "content=\"text/html; charset=utf-8\"", " "},
    {Cmd::mnuH1Click, "<h1>", "</h1>"},
    {Cmd::mnuH2Click, "<h2>", "</h2>"},
    {Cmd::mnuH3Click, "<h3>", "</h3>"},
    {Cmd::mnuH4Click, "<h4>", "</h4>"},
    {Cmd::mnuH5Click, "<h5>", "</h5>"},
    {Cmd::mnuH6Click, "<h6>", "</h6>"},
    {Cmd::mnuBigClick, "<b>", "</b>"},
    {Cmd::mnuKursywaClick, "<i>", "</i>"},
    {Cmd::mnuTTClick, "<tt>", "</tt>"},
    {Cmd::mnuBig2Click, "<big>", "</big>"},
    {Cmd::mnuSmallClick, "<small>", "</small>"},
    {Cmd::mnuSubClick, "<sub>", "</sub>"},
    {Cmd::mnuSupClick, "<sup>", "</sup>"},
    {Cmd::mnuEmClick, "<em>", "</em>"},
    {Cmd::mnuStrongClick, "<strong>", "</strong>"},
    {Cmd::mnuSampClick, "<samp>", "</samp>"},
    {Cmd::mnuCiteClick, "<cite>", "</cite>"},
    {Cmd::subDIVClick, "<div>", "</div>"},
    {Cmd::subPClick, "<p>", "</p>"},
    {Cmd::subBRClick, " ", "<br />"},
    {Cmd::mnuLiniaClick, "<hr />", " "},
    {Cmd::mnuListaULClick, "<ul>", "</ul>"},
    {Cmd::mnuOlClick, "<ol>", "</ol>"},
    {Cmd::mnuLiClick, "<li>", "</li>"},
    {Cmd::mnuDlClick, "<dl>", "</dl>"},
    {Cmd::mnuDtClick, "<dt>", "</dt>"},
    {Cmd::mnuDdClick, "<dd>", "</dd>"},
    {Cmd::mnuTableClick, "<table>", "</table>"},
    {Cmd::mnuTrClick, "<tr>", "</tr>"},
    {Cmd::mnuTdClick, "<td>", "</td>"},
    {Cmd::mnuThClick, "<th>", "</th>"},
    {Cmd::mnuTheadClick, "<thead>", "</thead>"},
    {Cmd::mnuFormClick, "<form>", "</form>"},
    {Cmd::mnuInputClick, "<input ", "/>"},
    {Cmd::mnuTexareaClick, "<textarea>", "</textarea>"},
    {Cmd::mnuButtonClick, "<button>", "</button>"},
    {Cmd::mnuSelectClick, "<select>", "</select>"},
    {Cmd::mnuOptionClick, "<option>", "</option>"},
    {Cmd::mnuLabelClick, "<label>", "</label>"},
    {Cmd::mnuHrefClick, "<a href=\"plik.html\">nazwa </a>", " "},
    {Cmd::mnuMailClick, "<a href=\"mailto:adres@domena.pl\">", " "},
    {Cmd::mnuImgClick, "<img src=\" \" />", " "},
    {Cmd::mnuTargetClick, "target=\"_blank\"", " "},
};

} // namespace

std::span<const TagCommand> tagCommands()
{
    return TagCommands;
}
