#include "app/CommandMap.h"

namespace {

constexpr MenuItemDef MenuItems[] = {
    {"MainMenu1", "mnuPlik", "Plik  ", ""},
    {"mnuPlik", "mnuNowy1", "Nowy", "mnuNowy1Click"},
    {"mnuPlik", "mnuOpen", "Otwórz", "mnuOpenClick"},
    {"mnuPlik", "mnuPrzekoduj", "Otwórz ponownie jako ...", ""},
    {"mnuPrzekoduj", "SUBmnuUTF8", "UTF-8", "SUBmnuUTF8Click"},
    {"mnuPrzekoduj", "SubmnuISO", "ISO-8859-2", "SubmnuISOClick"},
    {"mnuPrzekoduj", "SubmnuWin", "CP-1250", "SubmnuWinClick"},
    {"mnuPlik", "N1", "-", ""},
    {"mnuPlik", "mnuZapis", "Zapisz", "mnuZapisClick"},
    {"mnuPlik", "mnuZapisJako", "Zapisz jako...", "mnuZapisJakoClick"},
    {"mnuPlik", "N2", "-", ""},
    {"mnuPlik", "mnuZamknij", "Zamknij ten plik", "mnuZamknijClick"},
    {"mnuPlik", "mnuZamykaAll", "Zamknij wszystkie pliki", "mnuZamykaAllClick"},
    {"mnuPlik", "N3", "-", ""},
    {"mnuPlik", "mnuKoniec", "Koniec", "mnuKoniecClick"},

    {"MainMenu1", "mnuEdycja", "Edycja  ", ""},
    {"mnuEdycja", "mnuUndo", "Cofnij czynność", "mnuUndoClick"},
    {"mnuEdycja", "mnuRedo", "Ponów czynność", "mnuRedoClick"},
    {"mnuEdycja", "N5", "-", ""},
    {"mnuEdycja", "mnuCut", "Wytnij", "mnuCutClick"},
    {"mnuEdycja", "mnuCopy", "Kopiuj", "mnuCopyClick"},
    {"mnuEdycja", "mnuPaste", "Wklej", "mnuPasteClick"},
    {"mnuEdycja", "mnuDelete", "Usuń zaznaczony", "mnuDeleteClick"},

    {"MainMenu1", "mnuSzukanie", "Szukanie  ", ""},
    {"mnuSzukanie", "mnuFind", "Znajdź frazę", "mnuFindClick", "Ctrl+F"},
    {"mnuSzukanie", "mnuFindNext", "Znajdź następną", "mnuFindNextClick", "F3"},
    {"mnuSzukanie", "N6", "-", ""},
    {"mnuSzukanie", "mnuReplace", "Znajdź i zamień na...", "mnuReplaceClick", "Ctrl+R"},
    {"mnuSzukanie", "mnuZamianaNext", "Zamiana kolejnej frazy", "mnuZamianaNextClick", "F3"},

    {"MainMenu1", "mnuNaglowki", "Nagłówki", ""},
    {"mnuNaglowki", "mnuHtml", "<html>  </html>", "mnuHtmlClick"},
    {"mnuNaglowki", "mnuHead", "<head> </head>", "mnuHeadClick"},
    {"mnuNaglowki", "mnuBody", "<body> </body>", "mnuBodyClick"},
    {"mnuNaglowki", "mnuMeta", "<meta>", "mnuMetaClick"},
    {"mnuNaglowki", "mnuCharset", "charset=\" ...\"", "mnuCharsetClick"},
    {"mnuNaglowki", "N7", "-", ""},
    {"mnuNaglowki", "mnuH1", "<h1> </h1> nagłówek 1 poziomu", "mnuH1Click"},
    {"mnuNaglowki", "mnuH2", "<h2> </h2> nagłówek 2 poziomu", "mnuH2Click"},
    {"mnuNaglowki", "mnuH3", "<h3> </h3> nagłówek 3 poziomu", "mnuH3Click"},
    {"mnuNaglowki", "mnuH4", "<h4> </h4> nagłówek 4 poziomu", "mnuH4Click"},
    {"mnuNaglowki", "mnuH5", "<h5> </h5> nagłówek 5 poziomu", "mnuH5Click"},
    {"mnuNaglowki", "mnuH6", "<h6> </h6> nagłówek 6 poziomu", "mnuH6Click"},

    {"MainMenu1", "mnuText", "Tekst ", ""},
    {"mnuText", "mnuBig", "<b> pogrubienie </b>", "mnuBigClick"},
    {"mnuText", "mnuKursywa", "<i> kursywa </i>", "mnuKursywaClick"},
    {"mnuText", "mnuTT", "<tt>znaki nieproporcjonalne </tt>", "mnuTTClick"},
    {"mnuText", "mnuBig2", "<big> znaki powiększone </big>", "mnuBig2Click"},
    {"mnuText", "mnuSmall", "<small> znaki pomniejszone </small>", "mnuSmallClick"},
    {"mnuText", "mnuSub", "<sub> indeks dolny </sub>", "mnuSubClick"},
    {"mnuText", "mnuSup", "<sup> indeks górny </sup>", "mnuSupClick"},
    {"mnuText", "mnuEm", "<em>tekst wyróżniony</em>", "mnuEmClick"},
    {"mnuText", "mnuStrong", "<strong> wyraźne wyróżnienie </strong>", "mnuStrongClick"},
    {"mnuText", "mnuSamp", "<samp> tekst przykładowy </samp>", "mnuSampClick"},
    {"mnuText", "mnuCite", "<cite> tekst cytowany </cite>", "mnuCiteClick"},

    {"MainMenu1", "mnuFormatowanie", "Formatowanie", ""},
    {"mnuFormatowanie", "subDIV", "<div> </div> Blok", "subDIVClick"},
    {"mnuFormatowanie", "subP", "<p> </p>  Akapit", "subPClick"},
    {"mnuFormatowanie", "subBR", "<br /> łamanie wiersza", "subBRClick"},
    {"mnuFormatowanie", "mnuLinia", "<hr /> linia pozioma", "mnuLiniaClick"},
    {"mnuFormatowanie", "N8", "-", ""},
    {"mnuFormatowanie", "mnuListaUL", "<ul> </ul> lista wypunktowana", "mnuListaULClick"},
    {"mnuFormatowanie", "mnuOl", "<ol> </ol> lista numerowana", "mnuOlClick"},
    {"mnuFormatowanie", "mnuLi", "<li>  </li> element listy", "mnuLiClick"},
    {"mnuFormatowanie", "mnuDl", "<dl> </dl> def. listę definicji", "mnuDlClick"},
    {"mnuFormatowanie", "mnuDt", "<dt> </dt> def. termin na liście definicji", "mnuDtClick"},
    {"mnuFormatowanie", "mnuDd", "<dd> </dd> def. wyjaśnienie terminu..", "mnuDdClick"},

    {"MainMenu1", "mnuTabele", "Tabele", ""},
    {"mnuTabele", "mnuGenTable", "Generator tabel", "mnuGenTableClick"},
    {"mnuTabele", "N10", "-", ""},
    {"mnuTabele", "mnuTable", "<table> </table> tworzy tabelę", "mnuTableClick"},
    {"mnuTabele", "mnuTr", "<tr> </tr> wiersz tabeli", "mnuTrClick"},
    {"mnuTabele", "mnuTd", "<td> </td> komórka tabeli", "mnuTdClick"},
    {"mnuTabele", "mnuTh", "<th> </th>komórka nagłówka", "mnuThClick"},
    {"mnuTabele", "mnuThead", "<thead> </thead> nagłówek tabeli", "mnuTheadClick"},

    {"MainMenu1", "mnuFormular", "Formularze", ""},
    {"mnuFormular", "mnuForm", "<form> </form> definicja formularza", "mnuFormClick"},
    {"mnuFormular", "mnuInput", "<input  /> określa pole wprowadz.danych", "mnuInputClick"},
    {"mnuFormular", "mnuTexarea", "<textarea> wielowierszowe pole tekstowe", "mnuTexareaClick"},
    {"mnuFormular", "mnuButton", "<button> definiuje przycisk", "mnuButtonClick"},
    {"mnuFormular", "mnuSelect", "<select> </select> def. pole listy rozwijanej", "mnuSelectClick"},
    {"mnuFormular", "mnuOption", "<option> pozycja listy określonej przez <select>",
     "mnuOptionClick"},
    {"mnuFormular", "mnuLabel", "<label> </label> def. pól formularza", "mnuLabelClick"},

    {"MainMenu1", "mnuOpcje", "Opcje", ""},
    {"mnuOpcje", "mnuKodowanie", "Zmiana kodowania znaków", "mnuKodowanieClick"},
    {"mnuOpcje", "mnuKodowanieFolderu", "Zmiana kodowania folderu...", "mnuKodowanieFolderuClick"},
    {"mnuOpcje", "mnuZobacz", "Podgląd dokumentu w przeglądarce", "mnuZobaczClick"},
    {"mnuOpcje", "mnuKolor", "Generator koloru", "mnuKolorClick"},
    {"mnuOpcje", "N4", "-", ""},
    {"mnuOpcje", "mnuHref", "<a href=\"dane.htm\">odnośnik (łącze)</a>", "mnuHrefClick"},
    {"mnuOpcje", "mnuMail", "<a href=\"mailto:adres@domena.pl\">odnośnik</a>", "mnuMailClick"},
    {"mnuOpcje", "N9", "-", ""},
    {"mnuOpcje", "mnuImg", "<img src=\"obraz.jpg\"  /> wstawienie obrazu", "mnuImgClick"},
    {"mnuOpcje", "mnuTarget", "target=\"_blank\" otwarcie kolejnego okna", "mnuTargetClick"},

    {"MainMenu1", "mnuKoloruj", "Kolorowanie", ""},
    {"mnuKoloruj", "mnuHtm2", "HTML", "mnuHtm2Click"},
    {"mnuKoloruj", "mnuXML", "XML", "mnuXMLClick"},
    {"mnuKoloruj", "mnuCss", "Skrypt CSS", "mnuCssClick"},
    {"mnuKoloruj", "mnuJava", "Java (*.java)", "mnuJavaClick"},
    {"mnuKoloruj", "mnuJavaJs", "Java skrypt (*.js)", "mnuJavaJsClick"},
    {"mnuKoloruj", "mnuPhp", "PHP", "mnuPhpClick"},
    {"mnuKoloruj", "mnuPerl", "Perl", "mnuPerlClick"},
    {"mnuKoloruj", "mnuPyton", "Pyton", "mnuPytonClick"},
    {"mnuKoloruj", "podDelphi", "Pascal (Delphi)", "podDelphiClick"},
    {"mnuKoloruj", "mnuCpp", "C++", "mnuCppClick"},
    {"mnuKoloruj", "mnuSql", "SQL", "mnuSqlClick"},

    {"MainMenu1", "mnuPomoc", "Pomoc", "mnuPomocClick", "F1"},
};

constexpr MenuItemDef PopupItems[] = {
    {"PopupMenu2", "pupUndo", "Cofnij", "mnuUndoClick"},
    {"PopupMenu2", "N11", "-", ""},
    {"PopupMenu2", "pupCut", "Wytnij", "mnuCutClick"},
    {"PopupMenu2", "pupCopy", "Kopiuj", "mnuCopyClick"},
    {"PopupMenu2", "pupPaste", "Wklej", "mnuPasteClick"},
    {"PopupMenu2", "pupDelete", "Usuń", "mnuDeleteClick"},
};

constexpr ToolButtonDef ToolButtons[] = {
    {"ToolButton1", "", -1, ""},
    {"ToolButton2", "Nowy", 0, "mnuNowy1Click"},
    {"ToolButton3", "Otwórz", 1, "mnuOpenClick"},
    {"ToolButton4", "Zapisz", 2, "mnuZapisClick"},
    {"ToolButton5", "Zamknij plik", 3, "mnuZamknijClick"},
    {"ToolButton6", "", -1, ""},
    {"ToolButton7", "", -1, ""},
    {"ToolButton8", "Cofnij", 4, "mnuUndoClick"},
    {"ToolButton9", "Ponów", 5, "mnuRedoClick"},
    {"ToolButton10", "Wytnij", 6, "mnuCutClick"},
    {"ToolButton11", "Kopiuj", 7, "mnuCopyClick"},
    {"ToolButton12", "Wstaw", 8, "mnuPasteClick"},
    {"ToolButton13", "Usuń", 9, "mnuDeleteClick"},
    {"ToolButton14", "", -1, ""},
    {"ToolButton15", "Szukaj", 10, "mnuFindClick"},
    {"ToolButton16", "Znajdź i zamień", 11, "mnuReplaceClick"},
    {"ToolButton17", "", -1, ""},
    {"ToolButton18", "", -1, ""},
    {"ToolButton19", "Pogrubienie", 12, "mnuBigClick"},
    {"ToolButton20", "Kursywa", 13, "mnuKursywaClick"},
    {"ToolButton21", "Znaki powiększone", 14, "mnuBig2Click"},
    {"ToolButton22", "Znaki pomniejszone", 15, "mnuSmallClick"},
    {"ToolButton23", "Indeks dolny", 16, "mnuSubClick"},
    {"ToolButton24", "Indeks górny", 17, "mnuSupClick"},
    {"ToolButton25", "", -1, ""},
    {"ToolButton26", "", -1, ""},
    {"ToolButton27", "Zmiana kodowania", 18, "mnuKodowanieClick"},
    {"ToolButton28", "Podgląd HTML", 19, "mnuZobaczClick"},
};

constexpr TagButtonDef TagButtons[] = {
    {8, 45, "bitDiv", "<div>", "subDIVClick"},
    {54, 35, "bitP", "<p>", "subPClick"},
    {90, 35, "bitBR", "<br>", "subBRClick"},
    {126, 35, "bitUL", "<ul>", "mnuListaULClick"},
    {162, 35, "bitOL", "<ol>", "mnuOlClick"},
    {198, 35, "bitLI", "<li>", "mnuLiClick"},
    {248, 55, "bitTable", "<table>", "mnuTableClick"},
    {304, 35, "bitTr", "<tr>", "mnuTrClick"},
    {340, 35, "bitTd", "<td>", "mnuTdClick"},
    {376, 35, "bitTh", "<th>", "mnuThClick"},
    {412, 55, "bitThead", "<thead>", "mnuTheadClick"},
    {480, 45, "bitHref", "<href>", "mnuHrefClick"},
    {526, 45, "bitImg", "<img>", "mnuImgClick"},
    {572, 35, "bitHr", "<hr>", "mnuLiniaClick"},
    {608, 60, "bitTarget", "<target>", "mnuTargetClick"},
};

} // namespace

std::span<const MenuItemDef> menuItems()
{
    return MenuItems;
}
std::span<const MenuItemDef> popupMenuItems()
{
    return PopupItems;
}
std::span<const ToolButtonDef> toolButtons()
{
    return ToolButtons;
}
std::span<const TagButtonDef> tagButtons()
{
    return TagButtons;
}
