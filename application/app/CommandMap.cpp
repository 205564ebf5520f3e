#include "app/CommandMap.h"

#include "common/Commands.h"

namespace {

constexpr MenuItemDef MenuItems[] = {
    {"MainMenu1", "mnuPlik", "Plik  ", ""},
    {"mnuPlik", "mnuNowy1", "Nowy", Cmd::mnuNowy1Click, "Ctrl+N"},
    {"mnuPlik", "mnuOpen", "Otwórz", Cmd::mnuOpenClick, "Ctrl+O"},
    {"mnuPlik", "mnuPrzekoduj", "Otwórz ponownie jako ...", ""},
    {"mnuPrzekoduj", "SUBmnuUTF8", "UTF-8", Cmd::SUBmnuUTF8Click},
    {"mnuPrzekoduj", "SubmnuISO", "ISO-8859-2", Cmd::SubmnuISOClick},
    {"mnuPrzekoduj", "SubmnuWin", "CP-1250", Cmd::SubmnuWinClick},
    {"mnuPlik", "N1", "-", ""},
    {"mnuPlik", "mnuZapis", "Zapisz", Cmd::mnuZapisClick, "Ctrl+S"},
    {"mnuPlik", "mnuZapisJako", "Zapisz jako...", Cmd::mnuZapisJakoClick, "Ctrl+Shift+S"},
    {"mnuPlik", "N2", "-", ""},
    {"mnuPlik", "mnuZamknij", "Zamknij ten plik", Cmd::mnuZamknijClick, "Ctrl+W;Ctrl+F4"},
    {"mnuPlik", "mnuZamykaAll", "Zamknij wszystkie pliki", Cmd::mnuZamykaAllClick, "Ctrl+Shift+W"},
    {"mnuPlik", "N3", "-", ""},
    {"mnuPlik", "mnuOstatnie", "Ostatnio otwierane", ""},
    {"mnuOstatnie", "mnuWyczyscListe", "Wyczyść listę", Cmd::mnuWyczyscListeClick},
    {"mnuPlik", "mnuKoniec", "Koniec", Cmd::mnuKoniecClick, "Ctrl+Q"},

    {"MainMenu1", "mnuEdycja", "Edycja  ", ""},
    {"mnuEdycja", "mnuUndo", "Cofnij czynność", Cmd::mnuUndoClick},
    {"mnuEdycja", "mnuRedo", "Ponów czynność", Cmd::mnuRedoClick},
    {"mnuEdycja", "N5", "-", ""},
    {"mnuEdycja", "mnuCut", "Wytnij", Cmd::mnuCutClick},
    {"mnuEdycja", "mnuCopy", "Kopiuj", Cmd::mnuCopyClick},
    {"mnuEdycja", "mnuPaste", "Wklej", Cmd::mnuPasteClick},
    {"mnuEdycja", "mnuDelete", "Usuń zaznaczony", Cmd::mnuDeleteClick},

    {"MainMenu1", "mnuSzukanie", "Szukanie  ", ""},
    {"mnuSzukanie", "mnuFind", "Znajdź frazę", Cmd::mnuFindClick, "Ctrl+F"},
    {"mnuSzukanie", "mnuFindNext", "Znajdź następną", Cmd::mnuFindNextClick, "F3"},
    {"mnuSzukanie", "N6", "-", ""},
    {"mnuSzukanie", "mnuReplace", "Znajdź i zamień na...", Cmd::mnuReplaceClick, "Ctrl+R"},
    {"mnuSzukanie", "mnuZamianaNext", "Zamiana kolejnej frazy", Cmd::mnuZamianaNextClick, "F3"},
    {"mnuSzukanie", "N13", "-", ""},
    {"mnuSzukanie", "mnuPrzejdz", "Przejdź do wiersza...", Cmd::mnuPrzejdzClick, "Ctrl+G"},
    {"mnuSzukanie", "N6a", "-", ""},
    {"mnuSzukanie", "mnuFindInFiles", "Szukaj w plikach...", Cmd::mnuFindInFilesClick,
     "Ctrl+Shift+F"},
    {"mnuSzukanie", "mnuReplaceInFiles", "Zamień w plikach...", Cmd::mnuReplaceInFilesClick,
     "Ctrl+Shift+R"},
    {"mnuSzukanie", "mnuFindResults", "Wyniki szukania w plikach", Cmd::mnuFindResultsClick},

    {"MainMenu1", "mnuNaglowki", "Nagłówki", ""},
    {"mnuNaglowki", "mnuHtml", "<html>  </html>", Cmd::mnuHtmlClick},
    {"mnuNaglowki", "mnuHead", "<head> </head>", Cmd::mnuHeadClick},
    {"mnuNaglowki", "mnuBody", "<body> </body>", Cmd::mnuBodyClick},
    {"mnuNaglowki", "mnuMeta", "<meta>", Cmd::mnuMetaClick},
    {"mnuNaglowki", "mnuCharset", "charset=\" ...\"", Cmd::mnuCharsetClick},
    {"mnuNaglowki", "N7", "-", ""},
    {"mnuNaglowki", "mnuH1", "<h1> </h1> nagłówek 1 poziomu", Cmd::mnuH1Click},
    {"mnuNaglowki", "mnuH2", "<h2> </h2> nagłówek 2 poziomu", Cmd::mnuH2Click},
    {"mnuNaglowki", "mnuH3", "<h3> </h3> nagłówek 3 poziomu", Cmd::mnuH3Click},
    {"mnuNaglowki", "mnuH4", "<h4> </h4> nagłówek 4 poziomu", Cmd::mnuH4Click},
    {"mnuNaglowki", "mnuH5", "<h5> </h5> nagłówek 5 poziomu", Cmd::mnuH5Click},
    {"mnuNaglowki", "mnuH6", "<h6> </h6> nagłówek 6 poziomu", Cmd::mnuH6Click},

    {"MainMenu1", "mnuText", "Tekst ", ""},
    {"mnuText", "mnuBig", "<b> pogrubienie </b>", Cmd::mnuBigClick},
    {"mnuText", "mnuKursywa", "<i> kursywa </i>", Cmd::mnuKursywaClick},
    {"mnuText", "mnuTT", "<tt>znaki nieproporcjonalne </tt>", Cmd::mnuTTClick},
    {"mnuText", "mnuBig2", "<big> znaki powiększone </big>", Cmd::mnuBig2Click},
    {"mnuText", "mnuSmall", "<small> znaki pomniejszone </small>", Cmd::mnuSmallClick},
    {"mnuText", "mnuSub", "<sub> indeks dolny </sub>", Cmd::mnuSubClick},
    {"mnuText", "mnuSup", "<sup> indeks górny </sup>", Cmd::mnuSupClick},
    {"mnuText", "mnuEm", "<em>tekst wyróżniony</em>", Cmd::mnuEmClick},
    {"mnuText", "mnuStrong", "<strong> wyraźne wyróżnienie </strong>", Cmd::mnuStrongClick},
    {"mnuText", "mnuSamp", "<samp> tekst przykładowy </samp>", Cmd::mnuSampClick},
    {"mnuText", "mnuCite", "<cite> tekst cytowany </cite>", Cmd::mnuCiteClick},

    {"MainMenu1", "mnuFormatowanie", "Formatowanie", ""},
    {"mnuFormatowanie", "subDIV", "<div> </div> Blok", Cmd::subDIVClick},
    {"mnuFormatowanie", "subP", "<p> </p>  Akapit", Cmd::subPClick},
    {"mnuFormatowanie", "subBR", "<br /> łamanie wiersza", Cmd::subBRClick},
    {"mnuFormatowanie", "mnuLinia", "<hr /> linia pozioma", Cmd::mnuLiniaClick},
    {"mnuFormatowanie", "N8", "-", ""},
    {"mnuFormatowanie", "mnuListaUL", "<ul> </ul> lista wypunktowana", Cmd::mnuListaULClick},
    {"mnuFormatowanie", "mnuOl", "<ol> </ol> lista numerowana", Cmd::mnuOlClick},
    {"mnuFormatowanie", "mnuLi", "<li>  </li> element listy", Cmd::mnuLiClick},
    {"mnuFormatowanie", "mnuDl", "<dl> </dl> def. listę definicji", Cmd::mnuDlClick},
    {"mnuFormatowanie", "mnuDt", "<dt> </dt> def. termin na liście definicji", Cmd::mnuDtClick},
    {"mnuFormatowanie", "mnuDd", "<dd> </dd> def. wyjaśnienie terminu..", Cmd::mnuDdClick},

    {"MainMenu1", "mnuTabele", "Tabele", ""},
    {"mnuTabele", "mnuGenTable", "Generator tabel", Cmd::mnuGenTableClick},
    {"mnuTabele", "N10", "-", ""},
    {"mnuTabele", "mnuTable", "<table> </table> tworzy tabelę", Cmd::mnuTableClick},
    {"mnuTabele", "mnuTr", "<tr> </tr> wiersz tabeli", Cmd::mnuTrClick},
    {"mnuTabele", "mnuTd", "<td> </td> komórka tabeli", Cmd::mnuTdClick},
    {"mnuTabele", "mnuTh", "<th> </th>komórka nagłówka", Cmd::mnuThClick},
    {"mnuTabele", "mnuThead", "<thead> </thead> nagłówek tabeli", Cmd::mnuTheadClick},

    {"MainMenu1", "mnuFormular", "Formularze", ""},
    {"mnuFormular", "mnuForm", "<form> </form> definicja formularza", Cmd::mnuFormClick},
    {"mnuFormular", "mnuInput", "<input  /> określa pole wprowadz.danych", Cmd::mnuInputClick},
    {"mnuFormular", "mnuTexarea", "<textarea> wielowierszowe pole tekstowe", Cmd::mnuTexareaClick},
    {"mnuFormular", "mnuButton", "<button> definiuje przycisk", Cmd::mnuButtonClick},
    {"mnuFormular", "mnuSelect", "<select> </select> def. pole listy rozwijanej",
     Cmd::mnuSelectClick},
    {"mnuFormular", "mnuOption", "<option> pozycja listy określonej przez <select>",
     Cmd::mnuOptionClick},
    {"mnuFormular", "mnuLabel", "<label> </label> def. pól formularza", Cmd::mnuLabelClick},

    {"MainMenu1", "mnuOpcje", "Opcje", ""},
    {"mnuOpcje", "mnuKodowanie", "Zmiana kodowania znaków", Cmd::mnuKodowanieClick},
    {"mnuOpcje", "mnuKodowanieFolderu", "Zmiana kodowania folderu...",
     Cmd::mnuKodowanieFolderuClick},
    {"mnuOpcje", "mnuZobacz", "Podgląd dokumentu w przeglądarce", Cmd::mnuZobaczClick},
    {"mnuOpcje", "mnuKolor", "Generator koloru", Cmd::mnuKolorClick},
    {"mnuOpcje", "mnuPrzywracaj", "Przywracaj pliki przy starcie", Cmd::mnuPrzywracajClick},
    {"mnuOpcje", "N12", "-", ""},
    {"mnuOpcje", "mnuPisownia", "Sprawdzanie pisowni", Cmd::mnuPisowniaClick},
    {"mnuOpcje", "mnuJezykPisowni", "Język pisowni", ""},
    {"mnuJezykPisowni", "mnuJezykPolski", "Polski", Cmd::mnuJezykPolskiClick},
    {"mnuJezykPisowni", "mnuJezykAngielski", "Angielski", Cmd::mnuJezykAngielskiClick},
    {"mnuOpcje", "mnuNastepnyBlad", "Następny błąd pisowni", Cmd::mnuNastepnyBladClick, "F7"},
    {"mnuOpcje", "N4", "-", ""},
    {"mnuOpcje", "mnuHref", "<a href=\"dane.htm\">odnośnik (łącze)</a>", Cmd::mnuHrefClick},
    {"mnuOpcje", "mnuMail", "<a href=\"mailto:adres@domena.pl\">odnośnik</a>", Cmd::mnuMailClick},
    {"mnuOpcje", "N9", "-", ""},
    {"mnuOpcje", "mnuImg", "<img src=\"obraz.jpg\"  /> wstawienie obrazu", Cmd::mnuImgClick},
    {"mnuOpcje", "mnuTarget", "target=\"_blank\" otwarcie kolejnego okna", Cmd::mnuTargetClick},

    {"MainMenu1", "mnuKoloruj", "Kolorowanie", ""},
    {"mnuKoloruj", "mnuHtm2", "HTML", Cmd::mnuHtm2Click},
    {"mnuKoloruj", "mnuXML", "XML", Cmd::mnuXMLClick},
    {"mnuKoloruj", "mnuCss", "Skrypt CSS", Cmd::mnuCssClick},
    {"mnuKoloruj", "mnuJava", "Java (*.java)", Cmd::mnuJavaClick},
    {"mnuKoloruj", "mnuJavaJs", "Java skrypt (*.js)", Cmd::mnuJavaJsClick},
    {"mnuKoloruj", "mnuPhp", "PHP", Cmd::mnuPhpClick},
    {"mnuKoloruj", "mnuPerl", "Perl", Cmd::mnuPerlClick},
    {"mnuKoloruj", "mnuPyton", "Pyton", Cmd::mnuPytonClick},
    {"mnuKoloruj", "podDelphi", "Pascal (Delphi)", Cmd::podDelphiClick},
    {"mnuKoloruj", "mnuCpp", "C++", Cmd::mnuCppClick},
    {"mnuKoloruj", "mnuSql", "SQL", Cmd::mnuSqlClick},

    {"MainMenu1", "mnuPomoc", "Pomoc", Cmd::mnuPomocClick, "F1"},
};

constexpr MenuItemDef PopupItems[] = {
    {"PopupMenu2", "pupUndo", "Cofnij", Cmd::mnuUndoClick},
    {"PopupMenu2", "N11", "-", ""},
    {"PopupMenu2", "pupCut", "Wytnij", Cmd::mnuCutClick},
    {"PopupMenu2", "pupCopy", "Kopiuj", Cmd::mnuCopyClick},
    {"PopupMenu2", "pupPaste", "Wklej", Cmd::mnuPasteClick},
    {"PopupMenu2", "pupDelete", "Usuń", Cmd::mnuDeleteClick},
};

constexpr ToolButtonDef ToolButtons[] = {
    {"ToolButton1", "", -1, ""},
    {"ToolButton2", "Nowy", 0, Cmd::mnuNowy1Click},
    {"ToolButton3", "Otwórz", 1, Cmd::mnuOpenClick},
    {"ToolButton4", "Zapisz", 2, Cmd::mnuZapisClick},
    {"ToolButton5", "Zamknij plik", 3, Cmd::mnuZamknijClick},
    {"ToolButton6", "", -1, ""},
    {"ToolButton7", "", -1, ""},
    {"ToolButton8", "Cofnij", 4, Cmd::mnuUndoClick},
    {"ToolButton9", "Ponów", 5, Cmd::mnuRedoClick},
    {"ToolButton10", "Wytnij", 6, Cmd::mnuCutClick},
    {"ToolButton11", "Kopiuj", 7, Cmd::mnuCopyClick},
    {"ToolButton12", "Wstaw", 8, Cmd::mnuPasteClick},
    {"ToolButton13", "Usuń", 9, Cmd::mnuDeleteClick},
    {"ToolButton14", "", -1, ""},
    {"ToolButton15", "Szukaj", 10, Cmd::mnuFindClick},
    {"ToolButton16", "Znajdź i zamień", 11, Cmd::mnuReplaceClick},
    {"ToolButton17", "", -1, ""},
    {"ToolButton18", "", -1, ""},
    {"ToolButton19", "Pogrubienie", 12, Cmd::mnuBigClick},
    {"ToolButton20", "Kursywa", 13, Cmd::mnuKursywaClick},
    {"ToolButton21", "Znaki powiększone", 14, Cmd::mnuBig2Click},
    {"ToolButton22", "Znaki pomniejszone", 15, Cmd::mnuSmallClick},
    {"ToolButton23", "Indeks dolny", 16, Cmd::mnuSubClick},
    {"ToolButton24", "Indeks górny", 17, Cmd::mnuSupClick},
    {"ToolButton25", "", -1, ""},
    {"ToolButton26", "", -1, ""},
    {"ToolButton27", "Zmiana kodowania", 18, Cmd::mnuKodowanieClick},
    {"ToolButton28", "Podgląd HTML", 19, Cmd::mnuZobaczClick},
};

constexpr TagButtonDef TagButtons[] = {
    {8, 45, "bitDiv", "<div>", Cmd::subDIVClick},
    {54, 35, "bitP", "<p>", Cmd::subPClick},
    {90, 35, "bitBR", "<br>", Cmd::subBRClick},
    {126, 35, "bitUL", "<ul>", Cmd::mnuListaULClick},
    {162, 35, "bitOL", "<ol>", Cmd::mnuOlClick},
    {198, 35, "bitLI", "<li>", Cmd::mnuLiClick},
    {248, 55, "bitTable", "<table>", Cmd::mnuTableClick},
    {304, 35, "bitTr", "<tr>", Cmd::mnuTrClick},
    {340, 35, "bitTd", "<td>", Cmd::mnuTdClick},
    {376, 35, "bitTh", "<th>", Cmd::mnuThClick},
    {412, 55, "bitThead", "<thead>", Cmd::mnuTheadClick},
    {480, 45, "bitHref", "<href>", Cmd::mnuHrefClick},
    {526, 45, "bitImg", "<img>", Cmd::mnuImgClick},
    {572, 35, "bitHr", "<hr>", Cmd::mnuLiniaClick},
    {608, 60, "bitTarget", "<target>", Cmd::mnuTargetClick},
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
