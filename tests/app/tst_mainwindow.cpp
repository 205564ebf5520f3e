// The main window's controls: every menu item, toolbar button and tag button with its
// caption, hint, shortcut and place, and the keys that fire them.
#include "app/AccessKeys.h"
#include "app/CommandMap.h"
#include "app/TForm1.h"
#include "document/DocumentPage.h"
#include "editor/TSynMemo.h"
#include "search/SearchDialog.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
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
    void whatTheUserSees();
    void tagButtonsInOrderWithoutOverlap();
    void popupMenu();
    void hiddenStateHolders();
    void f3RunsOneCommand();
    void reopenGroupStartsOnUtf8();
    void everyControlHasACommand();
    void dialogsHaveTheirOwnCaptions_data();
    void dialogsHaveTheirOwnCaptions();
    void keyboardGoesToTheActiveEditor_data();
    void keyboardGoesToTheActiveEditor();
    void messagesCarryTheApplicationTitle();
    void keysRunTheirCommands_data();
    void keysRunTheirCommands();
    void findPreviousGoesBack();
    void noAccessKeyTwiceInAMenu();

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
        captions << withoutAccessKey(action->text());
    QCOMPARE(captions, expected);
    QVERIFY(!m_form->menuBar()->actions().last()->menu()); // "Pomoc" opens no menu
}

namespace {

// An item's caption, then its access key between angle quotes after a tab.
QString describeCaption(const QAction* action)
{
    const QString caption = withoutAccessKey(action->text());
    const qsizetype key = action->text().indexOf(QRegularExpression(QStringLiteral("&[^&]")));
    return key < 0
               ? caption
               : caption + QStringLiteral("\t‹") + action->text().at(key + 1) + QStringLiteral("›");
}

// A menu as its user sees it: one line an item, submenus indented, the access key and then the
// shortcuts after tabs, a check box as "[x]" or "[ ]", a separator as "—".
void describeMenu(const QMenu* menu, const QString& indent, QString& text)
{
    for (const QAction* action : menu->actions()) {
        QString line = indent;
        if (action->isSeparator()) {
            text += line + QStringLiteral("—\n");
            continue;
        }
        if (action->isCheckable())
            line += action->isChecked() ? QStringLiteral("[x] ") : QStringLiteral("[ ] ");
        line += describeCaption(action);
        QStringList keys;
        for (const QKeySequence& key : action->shortcuts())
            keys << key.toString();
        if (!keys.isEmpty())
            line += QLatin1Char('\t') + keys.join(QStringLiteral(", "));
        text += line + QLatin1Char('\n');
        if (action->menu())
            describeMenu(action->menu(), indent + QStringLiteral("    "), text);
    }
}

} // namespace

void TestMainWindow::whatTheUserSees()
{
    // Compared whole with a golden file; TAGOMIR_UPDATE_GOLDEN=1 writes it anew for review.
    QString text;
    for (const QAction* action : m_form->menuBar()->actions()) {
        text += describeCaption(action) + QLatin1Char('\n');
        if (action->menu())
            describeMenu(action->menu(), QStringLiteral("    "), text);
    }
    text += QStringLiteral("Menu podręczne\n");
    describeMenu(m_form->findChild<QMenu*>("PopupMenu2"), QStringLiteral("    "), text);
    text += QStringLiteral("Pasek narzędzi\n");
    for (const QAction* action : m_form->findChild<QToolBar*>("ToolBar1")->actions()) {
        text += QStringLiteral("    ") +
                (action->toolTip().isEmpty() ? QStringLiteral("—") : action->toolTip()) +
                QLatin1Char('\n');
    }
    const QString golden = QStringLiteral(TAGOMIR_TEST_DATA "/main-window-controls.txt");
    if (qEnvironmentVariableIsSet("TAGOMIR_UPDATE_GOLDEN"))
        writeFile(golden, text.toUtf8());
    QCOMPARE(text, QString::fromUtf8(readFile(golden)));

    // Every toolbar button shows its picture at the same size.
    for (const QToolButton* button :
         m_form->findChild<QToolBar*>("ToolBar1")->findChildren<QToolButton*>()) {
        if (button->objectName().startsWith(QLatin1String("ToolButton"))) {
            QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
            QCOMPARE(button->size(), QSize(30, 26));
        }
    }
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
        actual << action->objectName() + "|" +
                      (action->isSeparator() ? "-" : withoutAccessKey(action->text()));
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

void TestMainWindow::everyControlHasACommand()
{
    QStringList commands;
    for (const auto items : {::menuItems(), ::popupMenuItems()})
        for (const MenuItemDef& item : items)
            commands << item.command;
    for (const ToolButtonDef& button : ::toolButtons())
        commands << button.command;
    for (const TagButtonDef& button : tagButtons())
        commands << button.command;
    commands.removeAll(QString());
    QVERIFY(commands.size() > 100);
    for (const QString& command : std::as_const(commands))
        QVERIFY2(m_form->hasCommand(command), qPrintable(command));
    // And one that nothing handles is an error, not a quiet success.
    m_form->runCommand(QStringLiteral("mnuNieMaClick"));
    QCOMPARE(m_desktop.errors, QStringList{"Polecenie mnuNieMaClick nie istnieje."});
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
    QTRY_COMPARE(QApplication::focusWidget(), m_form->ActiveEditor()->widget());
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
    QTRY_COMPARE(QApplication::focusWidget(), m_form->ActiveEditor()->widget());
}

void TestMainWindow::messagesCarryTheApplicationTitle()
{
    m_form->OpenFileInPage("a.txt", writeFile(m_dir.filePath("a.txt"), "x"));
    fire("mnuZobacz"); // only HTML files are previewed
    fire("mnuNowy1");
    fire("mnuZobacz");
    QCOMPARE(m_desktop.captions, (QStringList{"a.txt", "Nowy 1"}));
}

void TestMainWindow::keysRunTheirCommands_data()
{
    // With pages a, b and c open and b active: the named items the key fired, the dialog or
    // menu it opened, then the active page and the number of pages. The editor's own keys fire
    // nothing of the window's.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    const char* const rows[][2] = {
        {"Ctrl+N", "mnuNowy1 3/4"},
        {"Ctrl+O", "mnuOpen 1/3"},
        {"Ctrl+S", "mnuZapis 1/3"},
        {"Ctrl+Shift+S", "mnuZapisJako 1/3"},
        {"Ctrl+W", "mnuZamknij 1/2"},
        {"Ctrl+F4", "mnuZamknij 1/2"},
        {"Ctrl+Shift+W", "mnuZamykaAll -1/0"},
        {"Ctrl+Q", "mnuKoniec -1/0"},
        {"Ctrl+Tab", "2/3"},
        {"Ctrl+Shift+Tab", "0/3"},
        {"Ctrl+PgDown", "2/3"},
        {"Ctrl+PgUp", "0/3"},
        {"Alt+1", "0/3"},
        {"Alt+3", "2/3"},
        {"Alt+9", "1/3"},
        {"Ctrl+G", "[Przejdź do wiersza] mnuPrzejdz 1/3"},
        {"Ctrl+F", "[Szukanie frazy] mnuFind 1/3"},
        {"F3", "[Szukanie frazy] mnuFindNext 1/3"},
        {"Ctrl+R", "[Zamiana tekstu] mnuReplace 1/3"},
        {"F1", "[Pomoc] mnuPomoc 1/3"},
        {"Shift+F3", "[Szukanie frazy] 1/3"},
        {"Shift+F10", "[PopupMenu2] 1/3"},
        {"Ctrl+Z", "1/3"},
        {"Ctrl+Shift+Z", "1/3"},
        {"Ctrl+A", "1/3"},
        {"Ctrl+Right", "1/3"},
    };
    for (const auto& [keys, expected] : rows)
        QTest::newRow(keys) << QString(keys) << QString::fromUtf8(expected);
}

void TestMainWindow::keysRunTheirCommands()
{
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    for (const char* name : {"a", "b", "c"})
        m_form->OpenFileInPage(name, writeFile(m_dir.filePath(name), name));
    m_form->findChild<QTabWidget*>("PC")->setCurrentIndex(1);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTRY_COMPARE(QApplication::focusWidget(), m_form->ActiveEditor()->widget());

    QStringList seen;
    for (QAction* action : m_form->findChildren<QAction*>())
        if (!action->objectName().isEmpty())
            connect(action, &QAction::triggered, this,
                    [&seen, action] { seen << action->objectName(); });
    // Each modal dialog and the context menu is noted and closed as soon as it shows.
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&seen] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog && QApplication::activeWindow() == dialog) {
            seen << "[" + dialog->windowTitle() + "]";
            dialog->close();
        }
        if (QWidget* popup = QApplication::activePopupWidget()) {
            seen << "[" + popup->objectName() + "]";
            popup->close();
        }
    });
    closer.start(5);
    const QKeyCombination key = QKeySequence(keys)[0];
    QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    QTest::qWait(30);
    seen << QStringLiteral("%1/%2")
                .arg(m_form->documents().pages().indexOf(m_form->activePage()))
                .arg(m_form->pageCount());
    QCOMPARE(seen.join(' '), expected);
}

void TestMainWindow::findPreviousGoesBack()
{
    // Find "ab" from the start, then F3, F3, Shift+F3, Shift+F3, F3: each selects the match
    // after or before the one selected.
    m_form->OpenFileInPage("a", writeFile(m_dir.filePath("a"), "ab ab ab"));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    TSynMemo* editor = m_form->ActiveEditor();
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&answer] {
        auto* dialog = qobject_cast<SearchDialog*>(QApplication::activeModalWidget());
        if (dialog && QApplication::activeWindow() == dialog) {
            answer.stop();
            dialog->findChild<QComboBox*>("FindText")->setEditText("ab");
            dialog->findChild<QAbstractButton*>("Button1")->click();
        }
    });
    answer.start(5);
    QTest::keyClick(editor->widget(), Qt::Key_F, Qt::ControlModifier);
    QTRY_COMPARE(QApplication::focusWidget(), editor->widget()); // the window's keys work again
    QStringList selections;
    const auto note = [&] {
        selections << QStringLiteral("%1-%2")
                          .arg(editor->selectionStartPosition())
                          .arg(editor->selectionEndPosition());
    };
    note();
    for (const auto modifier :
         {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier, Qt::ShiftModifier, Qt::NoModifier}) {
        QTest::keyClick(editor->widget(), Qt::Key_F3, modifier);
        note();
    }
    QCOMPARE(selections.join(' '), QStringLiteral("0-2 3-5 6-8 3-5 0-2 3-5"));
    QVERIFY(m_desktop.messages.isEmpty());
}

void TestMainWindow::noAccessKeyTwiceInAMenu()
{
    QList<QList<QAction*>> menus = {m_form->menuBar()->actions(),
                                    m_form->findChild<QMenu*>("PopupMenu2")->actions()};
    for (const QMenu* menu : m_form->findChildren<QMenu*>())
        menus << menu->actions();
    for (const QList<QAction*>& actions : std::as_const(menus)) {
        QStringList keys;
        for (const QAction* action : actions) {
            if (action->isSeparator())
                continue;
            const QKeySequence key = QKeySequence::mnemonic(action->text());
            QVERIFY2(!key.isEmpty(), qPrintable(action->text()));
            QVERIFY2(!keys.contains(key.toString()), qPrintable(action->text()));
            keys << key.toString();
        }
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
