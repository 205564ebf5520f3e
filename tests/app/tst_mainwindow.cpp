// The main window's controls: every menu item, toolbar button and tag button with its
// caption, hint, shortcut and place, and the keys that fire them.
#include "app/DocumentPage.h"
#include "app/TForm1.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowCaption();
    void titleBarShowsTheActivePage();
    void menuBarOrder();
    void menuItems_data();
    void menuItems();
    void toolButtons_data();
    void toolButtons();
    void tagButtonsInOrderWithoutOverlap();
    void popupMenu();
    void hiddenStateHolders();
    void f3RunsOneCommand();
    void reopenGroupStartsOnUtf8();
    void dialogsHaveTheirOwnCaptions_data();
    void dialogsHaveTheirOwnCaptions();
    void keyboardGoesToTheActiveEditor_data();
    void keyboardGoesToTheActiveEditor();
    void messagesCarryTheApplicationTitle();

private:
    void fire(const char* action) { m_form->findChild<QAction*>(action)->trigger(); }

    QTemporaryDir m_dir;
    ScriptedDesktop m_desktop;
    std::unique_ptr<TForm1> m_form;
};

void TestMainWindow::init()
{
    m_desktop = ScriptedDesktop();
    m_form = std::make_unique<TForm1>(m_desktop, QStringList{}, m_dir.filePath("Tagomir.dat"));
}

void TestMainWindow::cleanup()
{
    m_form.reset();
}

void TestMainWindow::windowCaption()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Tagomir wer.1.2"));
    QCOMPARE(m_form->size(), QSize(781, 536));
}

void TestMainWindow::titleBarShowsTheActivePage()
{
    QFile file(m_dir.filePath("a.htm"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_form->show();
    const auto titleBar = [this] { return m_form->windowHandle()->title(); };
    QCOMPARE(titleBar(), QStringLiteral("Tagomir wer.1.2 — Tagomir"));
    m_form->OpenFileInPage("a.htm", file.fileName());
    QCOMPARE(titleBar(), QStringLiteral("Tagomir wer.1.2 — a.htm"));
    m_form->findChild<QAction*>("mnuNowy1")->trigger();
    QCOMPARE(titleBar(), QStringLiteral("Tagomir wer.1.2 — Nowy 1"));
    m_form->findChild<QTabWidget*>("PC")->tabBar()->setCurrentIndex(0);
    QCOMPARE(titleBar(), QStringLiteral("Tagomir wer.1.2 — a.htm"));
    m_form->findChild<QAction*>("mnuZamykaAll")->trigger();
    QCOMPARE(titleBar(), QStringLiteral("Tagomir wer.1.2 — Tagomir"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Tagomir wer.1.2"));
}

void TestMainWindow::menuBarOrder()
{
    const QStringList expected = {"Plik  ", "Edycja  ",     "Szukanie  ", "Nagłówki",
                                  "Tekst ", "Formatowanie", "Tabele",     "Formularze",
                                  "Opcje",  "Kolorowanie",  "Pomoc"};
    QStringList captions;
    for (QAction* action : m_form->menuBar()->actions())
        captions << action->text();
    QCOMPARE(captions, expected);
    QVERIFY(!m_form->menuBar()->actions().last()->menu()); // "Pomoc" opens no menu
}

void TestMainWindow::menuItems_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");
    // Each item as "name|caption|shortcut"; separators as "name|-|".
    QTest::newRow("Plik") << "mnuPlik"
                          << QStringList{"mnuNowy1|Nowy|",
                                         "mnuOpen|Otwórz|",
                                         "mnuPrzekoduj|Otwórz ponownie jako ...|",
                                         "N1|-|",
                                         "mnuZapis|Zapisz|",
                                         "mnuZapisJako|Zapisz jako...|",
                                         "N2|-|",
                                         "mnuZamknij|Zamknij ten plik|",
                                         "mnuZamykaAll|Zamknij wszystkie pliki|",
                                         "N3|-|",
                                         "mnuKoniec|Koniec|"};
    QTest::newRow("Otwórz ponownie")
        << "mnuPrzekoduj"
        << QStringList{"SUBmnuUTF8|UTF-8|", "SubmnuISO|ISO-8859-2|", "SubmnuWin|CP-1250|"};
    QTest::newRow("Edycja") << "mnuEdycja"
                            << QStringList{"mnuUndo|Cofnij czynność|",
                                           "mnuRedo|Ponów czynność|",
                                           "N5|-|",
                                           "mnuCut|Wytnij|",
                                           "mnuCopy|Kopiuj|",
                                           "mnuPaste|Wklej|",
                                           "mnuDelete|Usuń zaznaczony|"};
    QTest::newRow("Szukanie") << "mnuSzukanie"
                              << QStringList{"mnuFind|Znajdź frazę|Ctrl+F",
                                             "mnuFindNext|Znajdź następną|F3", "N6|-|",
                                             "mnuReplace|Znajdź i zamień na...|Ctrl+R",
                                             "mnuZamianaNext|Zamiana kolejnej frazy|F3"};
    QTest::newRow("Nagłówki") << "mnuNaglowki"
                              << QStringList{"mnuHtml|<html>  </html>|",
                                             "mnuHead|<head> </head>|",
                                             "mnuBody|<body> </body>|",
                                             "mnuMeta|<meta>|",
                                             "mnuCharset|charset=\" ...\"|",
                                             "N7|-|",
                                             "mnuH1|<h1> </h1> nagłówek 1 poziomu|",
                                             "mnuH2|<h2> </h2> nagłówek 2 poziomu|",
                                             "mnuH3|<h3> </h3> nagłówek 3 poziomu|",
                                             "mnuH4|<h4> </h4> nagłówek 4 poziomu|",
                                             "mnuH5|<h5> </h5> nagłówek 5 poziomu|",
                                             "mnuH6|<h6> </h6> nagłówek 6 poziomu|"};
    QTest::newRow("Tekst") << "mnuText"
                           << QStringList{"mnuBig|<b> pogrubienie </b>|",
                                          "mnuKursywa|<i> kursywa </i>|",
                                          "mnuTT|<tt>znaki nieproporcjonalne </tt>|",
                                          "mnuBig2|<big> znaki powiększone </big>|",
                                          "mnuSmall|<small> znaki pomniejszone </small>|",
                                          "mnuSub|<sub> indeks dolny </sub>|",
                                          "mnuSup|<sup> indeks górny </sup>|",
                                          "mnuEm|<em>tekst wyróżniony</em>|",
                                          "mnuStrong|<strong> wyraźne wyróżnienie </strong>|",
                                          "mnuSamp|<samp> tekst przykładowy </samp>|",
                                          "mnuCite|<cite> tekst cytowany </cite>|"};
    QTest::newRow("Formatowanie") << "mnuFormatowanie"
                                  << QStringList{
                                         "subDIV|<div> </div> Blok|",
                                         "subP|<p> </p>  Akapit|",
                                         "subBR|<br /> łamanie wiersza|",
                                         "mnuLinia|<hr /> linia pozioma|",
                                         "N8|-|",
                                         "mnuListaUL|<ul> </ul> lista wypunktowana|",
                                         "mnuOl|<ol> </ol> lista numerowana|",
                                         "mnuLi|<li>  </li> element listy|",
                                         "mnuDl|<dl> </dl> def. listę definicji|",
                                         "mnuDt|<dt> </dt> def. termin na liście definicji|",
                                         "mnuDd|<dd> </dd> def. wyjaśnienie terminu..|"};
    QTest::newRow("Tabele") << "mnuTabele"
                            << QStringList{"mnuGenTable|Generator tabel|",
                                           "N10|-|",
                                           "mnuTable|<table> </table> tworzy tabelę|",
                                           "mnuTr|<tr> </tr> wiersz tabeli|",
                                           "mnuTd|<td> </td> komórka tabeli|",
                                           "mnuTh|<th> </th>komórka nagłówka|",
                                           "mnuThead|<thead> </thead> nagłówek tabeli|"};
    QTest::newRow("Formularze")
        << "mnuFormular"
        << QStringList{"mnuForm|<form> </form> definicja formularza|",
                       "mnuInput|<input  /> określa pole wprowadz.danych|",
                       "mnuTexarea|<textarea> wielowierszowe pole tekstowe|",
                       "mnuButton|<button> definiuje przycisk|",
                       "mnuSelect|<select> </select> def. pole listy rozwijanej|",
                       "mnuOption|<option> pozycja listy określonej przez <select>|",
                       "mnuLabel|<label> </label> def. pól formularza|"};
    QTest::newRow("Opcje") << "mnuOpcje"
                           << QStringList{
                                  "mnuKodowanie|Zmiana kodowania znaków|",
                                  "mnuKodowanieFolderu|Zmiana kodowania folderu...|",
                                  "mnuZobacz|Podgląd dokumentu w przeglądarce|",
                                  "mnuKolor|Generator koloru|",
                                  "N4|-|",
                                  "mnuHref|<a href=\"dane.htm\">odnośnik (łącze)</a>|",
                                  "mnuMail|<a href=\"mailto:adres@domena.pl\">odnośnik</a>|",
                                  "N9|-|",
                                  "mnuImg|<img src=\"obraz.jpg\"  /> wstawienie obrazu|",
                                  "mnuTarget|target=\"_blank\" otwarcie kolejnego okna|"};
    QTest::newRow("Kolorowanie") << "mnuKoloruj"
                                 << QStringList{"mnuHtm2|HTML|",
                                                "mnuXML|XML|",
                                                "mnuCss|Skrypt CSS|",
                                                "mnuJava|Java (*.java)|",
                                                "mnuJavaJs|Java skrypt (*.js)|",
                                                "mnuPhp|PHP|",
                                                "mnuPerl|Perl|",
                                                "mnuPyton|Pyton|",
                                                "podDelphi|Pascal (Delphi)|",
                                                "mnuCpp|C++|",
                                                "mnuSql|SQL|"};
}

void TestMainWindow::menuItems()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    auto* built = m_form->findChild<QMenu*>(menu);
    QVERIFY(built);
    QStringList actual;
    for (QAction* action : built->actions()) {
        const QString caption = action->isSeparator() ? QStringLiteral("-") : action->text();
        actual << QStringLiteral("%1|%2|%3")
                      .arg(action->objectName(), caption, action->shortcut().toString());
    }
    QCOMPARE(actual, items);
}

void TestMainWindow::toolButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    const char* rows[][2] = {
        {"ToolButton2", "Nowy"},
        {"ToolButton3", "Otwórz"},
        {"ToolButton4", "Zapisz"},
        {"ToolButton5", "Zamknij plik"},
        {"ToolButton8", "Cofnij"},
        {"ToolButton9", "Ponów"},
        {"ToolButton10", "Wytnij"},
        {"ToolButton11", "Kopiuj"},
        {"ToolButton12", "Wstaw"},
        {"ToolButton13", "Usuń"},
        {"ToolButton15", "Szukaj"},
        {"ToolButton16", "Znajdź i zamień"},
        {"ToolButton19", "Pogrubienie"},
        {"ToolButton20", "Kursywa"},
        {"ToolButton21", "Znaki powiększone"},
        {"ToolButton22", "Znaki pomniejszone"},
        {"ToolButton23", "Indeks dolny"},
        {"ToolButton24", "Indeks górny"},
        {"ToolButton27", "Zmiana kodowania"},
        {"ToolButton28", "Podgląd HTML"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromUtf8(row[0]) << QString::fromUtf8(row[1]);
}

void TestMainWindow::toolButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    auto* button = m_form->findChild<QToolButton*>(name);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), hint);
    QVERIFY(!button->icon().isNull());
    QCOMPARE(button->size(), QSize(30, 26));
}

void TestMainWindow::tagButtonsInOrderWithoutOverlap()
{
    const QStringList names = {"bitDiv",   "bitP",     "bitBR",  "bitUL", "bitOL",
                               "bitLI",    "bitTable", "bitTr",  "bitTd", "bitTh",
                               "bitThead", "bitHref",  "bitImg", "bitHr", "bitTarget"};
    const QStringList captions = {"<div>",   "<p>",     "<br>",  "<ul>", "<ol>",
                                  "<li>",    "<table>", "<tr>",  "<td>", "<th>",
                                  "<thead>", "<href>",  "<img>", "<hr>", "<target>"};
    int previousRight = 0;
    for (int i = 0; i < names.size(); ++i) {
        auto* button = m_form->findChild<QPushButton*>(names[i]);
        QVERIFY2(button, qPrintable(names[i]));
        QCOMPARE(button->text(), captions[i]);
        QVERIFY(button->x() > previousRight);
        // The caption fits its button.
        QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) < button->width());
        previousRight = button->geometry().right();
    }
}

void TestMainWindow::popupMenu()
{
    auto* popup = m_form->findChild<QMenu*>("PopupMenu2");
    QVERIFY(popup);
    QStringList actual;
    for (QAction* action : popup->actions())
        actual << action->objectName() + "|" + (action->isSeparator() ? "-" : action->text());
    QCOMPARE(actual, (QStringList{"pupUndo|Cofnij", "N11|-", "pupCut|Wytnij", "pupCopy|Kopiuj",
                                  "pupPaste|Wklej", "pupDelete|Usuń"}));
}

void TestMainWindow::hiddenStateHolders()
{
    QCOMPARE(m_form->findChild<QLabel*>("Label3")->text(), QStringLiteral("00"));
    QCOMPARE(m_form->selectedEncodingIndex(), -1);
    m_form->show();
    QVERIFY(!m_form->findChild<QLabel*>("Label2")->isVisible());
    QVERIFY(m_form->findChild<QWidget*>("PC")->isVisible());
    QVERIFY(m_form->findChild<QWidget*>("Bar")->isVisible());
}

void TestMainWindow::f3RunsOneCommand()
{
    // F3 is shown on two items and fires the first of them once, not neither.
    int findNext = 0, replaceNext = 0;
    connect(m_form->findChild<QAction*>("mnuFindNext"), &QAction::triggered, this,
            [&] { ++findNext; });
    connect(m_form->findChild<QAction*>("mnuZamianaNext"), &QAction::triggered, this,
            [&] { ++replaceNext; });
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyClick(m_form.get(), Qt::Key_F3);
    QCOMPARE(findNext, 1);
    QCOMPARE(replaceNext, 0);
}

void TestMainWindow::reopenGroupStartsOnUtf8()
{
    QVERIFY(m_form->findChild<QAction*>("SUBmnuUTF8")->isChecked());
    QVERIFY(!m_form->findChild<QAction*>("SubmnuISO")->isChecked());
    // Without a document the command changes nothing, the check mark included.
    m_form->findChild<QAction*>("SubmnuWin")->trigger();
    QVERIFY(m_form->findChild<QAction*>("SUBmnuUTF8")->isChecked());
    QVERIFY(!m_form->findChild<QAction*>("SubmnuWin")->isChecked());
}

void TestMainWindow::dialogsHaveTheirOwnCaptions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("caption");
    const char* const dialogs[][3] = {{"find", "mnuFind", "Szukanie frazy"},
                                      {"replace", "mnuReplace", "Zamiana tekstu"},
                                      {"encoding change", "mnuKodowanie", "Zmiana kodowania"},
                                      {"table generator", "mnuGenTable", "Generator tabel HTML"},
                                      {"colour picker", "mnuKolor", "Dobór koloru"},
                                      {"help", "mnuPomoc", "Pomoc"}};
    for (const auto& [row, action, caption] : dialogs)
        QTest::newRow(row) << QString(action) << QString::fromUtf8(caption);
}

void TestMainWindow::dialogsHaveTheirOwnCaptions()
{
    // With a page open; the keyboard is back in the text when the dialog closes.
    QFETCH(QString, action);
    QFETCH(QString, caption);
    m_form->OpenFileInPage("a.htm", writeFile(m_dir.filePath("a.htm"), "x"));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    // The platform appends the application's display name to the title of every window.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    QString shown;
    QTimer::singleShot(0, this, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        dialog = dialog ? dialog : m_form->findChild<QDialog*>("FPrzekoduj");
        QVERIFY(QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }));
        shown = dialog->windowTitle();
        dialog->close();
    });
    fire(action.toLatin1());
    QTRY_COMPARE(shown, caption);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->ActiveEditor());
}

void TestMainWindow::keyboardGoesToTheActiveEditor_data()
{
    QTest::addColumn<QString>("event");
    for (const char* event : {"start", "open", "switch", "close", "new"})
        QTest::newRow(event) << event;
}

void TestMainWindow::keyboardGoesToTheActiveEditor()
{
    QFETCH(QString, event);
    for (const char* name : {"a", "b"}) // as when started with two files
        m_form->OpenFileInPage(name, writeFile(m_dir.filePath(name), name));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTabBar* tabs = m_form->findChild<QTabWidget*>("PC")->tabBar();
    m_desktop.openChoices.enqueue(writeFile(m_dir.filePath("c"), "c"));
    if (event == "switch") {
        tabs->setFocus();
        tabs->setCurrentIndex(0);
    } else if (event != "start") {
        fire(event == "open" ? "mnuOpen" : event == "close" ? "mnuZamknij" : "mnuNowy1");
    }
    QTRY_COMPARE(QApplication::focusWidget(), m_form->ActiveEditor());
}

void TestMainWindow::messagesCarryTheApplicationTitle()
{
    m_form->OpenFileInPage("a.txt", writeFile(m_dir.filePath("a.txt"), "x"));
    fire("mnuZobacz"); // only HTML files are previewed
    fire("mnuNowy1");
    fire("mnuZobacz");
    QCOMPARE(m_desktop.captions, (QStringList{"a.txt", "Nowy 1"}));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
