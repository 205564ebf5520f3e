#include "authoring/HelpText.h"

#include <QStringList>

namespace {

// Paragraphs in reading order; an empty entry is an empty line between groups.
constexpr const char* Paragraphs[] = {
    "„Tagomir” to prosty, napisany od nowa edytor dla polskich użytkowników, do pisania "
    "dokumentów w kodowaniach, w jakich zwykle zapisuje się polski tekst: UTF-8, ISO-8859-2 "
    "i dziś już przestarzałym windows-1250.",
    "Powstał przede wszystkim po to, by ułatwić pisanie stron internetowych, ale można w nim "
    "pisać każdy dokument tekstowy w tych kodowaniach.",
    "",
    "Dla czytelności składnię języka dokumentu można pokolorować (menu „Kolorowanie”): "
    "domyślnie jest to HTML, a do wyboru są też XML, CSS, Java (pliki .java), JavaScript "
    "(pliki .js), PHP, Perl, Python, Pascal (Delphi), C++ i SQL.",
    "",
    "Po otwarciu pliku HTML program odczytuje jego kodowanie z deklaracji charset w nagłówku, "
    "zapisanej po staremu (content=\"text/html; charset=...\") albo według HTML5 "
    "(<meta charset=\"...\">); w arkuszu CSS z reguły @charset. Dalej pracuje się jak w każdym "
    "edytorze tekstu, a podstawowe znaczniki HTML wstawia się w miejscu kursora albo wokół "
    "zaznaczonego tekstu. Menu u góry okna zawierają wszystkie znaczniki, jakie program oferuje.",
    "Najczęściej używane znaczniki mają też własne przyciski z brązowymi napisami.",
    "",
    "Efekt pracy można sprawdzić, otwierając plik HTML w przeglądarce internetowej systemu "
    "(„Podgląd dokumentu w przeglądarce” w menu „Opcje” albo przycisk na pasku narzędzi). "
    "Przeglądarka pokazuje plik w postaci ostatnio zapisanej.",
    "Do najbardziej pracochłonnego zadania, tworzenia tabel, służy generator tabel "
    "(„Generator tabel” w menu „Tabele”).",
    "",
    "W odróżnieniu od wielu podobnych edytorów zmiana kodowania dokumentu wymaga tylko wyboru "
    "nowego kodowania poleceniem „Zmiana kodowania znaków” z menu „Opcje”. Jeśli któregoś znaku "
    "dokumentu nie da się zapisać w wybranym kodowaniu, program najpierw o tym uprzedza i pyta, "
    "co zrobić; żaden znak nie ginie bez ostrzeżenia.",
    "",
    "Ponieważ program służy do pracy z dokumentami z wielu środowisk programistycznych, nie "
    "rozpoznaje kodowania po znaczniku kolejności bajtów (BOM), choć to metoda najpewniejsza: "
    "plikom HTML znacznik nie jest potrzebny, a w innych dokumentach przechowywanych na "
    "serwerach (skryptach CSS, Java, PHP i SQL, bazach danych) przysparza tylko kłopotów.",
    "Pliki bez znacznika rozpoznaje się zwykle po tym, jak często występują w nich polskie "
    "litery, co bywa zawodne. „Tagomir” tego nie robi: plik bez deklaracji charset, który jest "
    "poprawnym tekstem UTF-8 z literami spoza ASCII, czyta jako UTF-8, a każdy inny plik bez "
    "deklaracji jako windows-1250, i zdaje się na ocenę użytkownika, równie zawodną, czy polskie "
    "litery wyglądają na ekranie poprawnie.",
    "Dlatego: otwórz dokument, a jeśli polskie litery zamienią się w „krzaki”, otwórz go "
    "ponownie poleceniem „Otwórz ponownie jako ...” z menu „Plik”, jako UTF-8, ISO-8859-2 "
    "lub CP-1250 (windows-1250), aż będą wyglądać poprawnie.",
    "Dopiero wtedy dokument można edytować, przekodować na inne kodowanie albo zapisać pod "
    "dowolną nazwą. Kłopot prawie znika, jeśli każdy zwykły dokument pisze się wyłącznie "
    "w UTF-8.",
    "",
    "Pasek stanu u dołu okna: pierwsze pole pokazuje położenie kursora (wiersz: kolumna); "
    "drugie sygnalizuje, że tekst został zmieniony (wyraźniejszym znakiem jest czerwony obrazek "
    "na zakładce strony); trzecie pokazuje bieżące kodowanie, przy czym „Nieznany” znaczy, że "
    "nie znaleziono deklaracji charset albo że wskazuje ona kodowanie typowe dla stron "
    "niepolskich; czwarte pokazuje pełną ścieżkę bieżącego pliku.",
    "",
    "„Tagomir” instaluje się z pakietu tagomir: jest wtedy w menu programów i uruchamia się "
    "poleceniem tagomir, także z nazwami plików do otwarcia. Można też używać rozpakowanej "
    "kopii programu, która działa tam, gdzie leży. Rozmiar i położenie okna program zapamiętuje "
    "w pliku Tagomir.dat: rozpakowana kopia obok swojego pliku wykonywalnego, a program "
    "zainstalowany z pakietu (albo uruchomiony z folderu, do którego nie wolno pisać) w folderze "
    "~/.config/Tagomir.",
};

} // namespace

QString helpText()
{
    QStringList lines;
    for (const char* paragraph : Paragraphs)
        lines << (*paragraph ? QStringLiteral("   ") + QString::fromUtf8(paragraph) : QString());
    return lines.join(QLatin1Char('\n'));
}
