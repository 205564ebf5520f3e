// Find, Find next and Replace through the main window, their dialogs driven as a user would:
// the history rule, the controls that start each command, F3 after each kind of search, the
// keys in the dialogs, and the messages.
#include "app/TForm1.h"
#include "search/SearchState.h"
#include "search/TForm3.h"
#include "support/ComponentAccess.h"
#include "support/ScriptedDesktop.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString PhraseNotFound = QStringLiteral("Takiej frazy już nie znaleziono.");
const QString TextNotFound = QStringLiteral("Takiego tekstu już nie znaleziono.");

template <typename T = QWidget> T* child(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    // Stops the run in every build, naming the control, rather than going on with no control.
    if (!found)
        qFatal("No control named %s of the type asked for", name);
    return found;
}

} // namespace

class TestSearchCommands : public QObject {
    Q_OBJECT
private slots:
    void replaceDialogSaysPromptThroughItsBase();
    void init();
    void cleanup();
    void history_data();
    void history();
    void findFromEveryControl_data();
    void findFromEveryControl();
    void findNextAfterEachCommand();
    void regularExpressions();
    void keysActOnlyInTheTextBoxes();
    void dialogsKeepTheirStates();
    void emptySearchTexts();

private:
    TSynMemo* newDocument(const QString& text, int caretCharacter);
    // Runs `trigger`; as soon as a dialog shows, `act` gets it and must close it.
    QDialog* whileOpen(const std::function<void(QDialog*)>& act,
                       const std::function<void()>& trigger);
    QDialog* fill(QDialog* dialog, const QString& find, const QString& replacement = {},
                  const QStringList& ticked = {});
    void run(const char* command) { m_form->runCommand(QString::fromLatin1(command)); }

    QTemporaryDir m_dir;
    ScriptedDesktop m_desktop;
    std::unique_ptr<TForm1> m_form;
};

void TestSearchCommands::init()
{
    m_form = std::make_unique<TForm1>(m_desktop, QStringList{}, m_dir.filePath("Tagomir.dat"));
    m_form->show();
    m_desktop.messages.clear();
}

void TestSearchCommands::cleanup()
{
    for (int i = 0; i < m_form->pageCount(); ++i)
        component(m_form->ActiveEditor())->SendScintilla(QsciScintillaBase::SCI_SETSAVEPOINT);
    m_form.reset();
}

TSynMemo* TestSearchCommands::newDocument(const QString& text, int caretCharacter)
{
    run("mnuNowy1Click");
    TSynMemo* editor = m_form->ActiveEditor();
    editor->setText(text);
    const int caret = int(text.left(caretCharacter).toUtf8().size());
    editor->selectPositions(caret, caret);
    return editor;
}

QDialog* TestSearchCommands::whileOpen(const std::function<void(QDialog*)>& act,
                                       const std::function<void()>& trigger)
{
    QPointer<QDialog> seen;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            poll.stop();
            seen = dialog;
            act(dialog);
        }
    });
    poll.start(0);
    trigger();
    poll.stop();
    return seen;
}

QDialog* TestSearchCommands::fill(QDialog* dialog, const QString& find, const QString& replacement,
                                  const QStringList& ticked)
{
    child<QComboBox>(dialog, "FindText")->setEditText(find);
    if (auto* box = dialog->findChild<QComboBox*>("ReplaceText"))
        box->setEditText(replacement);
    for (const char* name : {"CaseSensitive", "Wholewords", "RegularExpression"})
        child<QCheckBox>(dialog, name)->setChecked(ticked.contains(QLatin1String(name)));
    for (const char* group : {"Scope", "Direction", "Origin"}) {
        const bool second = ticked.contains(QLatin1String(group));
        child<QRadioButton>(dialog, qPrintable(QStringLiteral("%1%2").arg(group).arg(int(second))))
            ->setChecked(true);
    }
    return dialog;
}

void TestSearchCommands::history_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");
    const QStringList blanks(9, QString());
    QTest::newRow("first") << QStringList{} << "łąka" << QStringList{"łąka"} + blanks;
    QTest::newRow("known in another case")
        << QStringList{"x", "łąka"} << "ŁĄKA" << QStringList{"x", "łąka"};
    QTest::newRow("blank") << QStringList{"a"} << "" << QStringList{"", "a"} + blanks.mid(1);
    QTest::newRow("full") << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"} << "n"
                          << QStringList{"n", "0", "1", "2", "3", "4", "5", "6", "7", "8"};
}

void TestSearchCommands::history()
{
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    addToHistory(before, text);
    QTEST(before, "after");
}

void TestSearchCommands::findFromEveryControl_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("menu") << "mnuFind";
    QTest::newRow("toolbar") << "ToolButton15";
    QTest::newRow("keyboard") << "Ctrl+F";
}

void TestSearchCommands::findFromEveryControl()
{
    QFETCH(QString, control);
    TSynMemo* editor = newDocument("żółw ŻÓŁW żółw", 2);
    QString offered;
    whileOpen(
        [&](QDialog* dialog) {
            offered = child<QComboBox>(dialog, "FindText")->currentText();
            QTest::keyClick(child<QComboBox>(dialog, "FindText")->lineEdit(), Qt::Key_Return);
        },
        [&] {
            if (control.startsWith("Ctrl")) {
                QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
                QTest::keyClick(editor->widget(), Qt::Key_F, Qt::ControlModifier);
            } else {
                child<QAction>(m_form.get(), qPrintable(control))->trigger();
            }
        });
    QCOMPARE(offered, QStringLiteral("żółw"));
    QCOMPARE(editor->selectedText(), QStringLiteral("ŻÓŁW"));
    QCoreApplication::processEvents();
    QCOMPARE(m_form->panelText(0), QStringLiteral("   1: 10"));
    run("mnuFindNextClick");
    QCOMPARE(editor->selectionStartPosition(), QStringLiteral("żółw ŻÓŁW ").toUtf8().size());
    run("mnuZamianaNextClick");
    QCOMPARE(m_desktop.messages, QStringList{PhraseNotFound});
    QCOMPARE(editor->selectedText(), QStringLiteral("żółw"));
}

void TestSearchCommands::findNextAfterEachCommand()
{
    TSynMemo* editor = newDocument("a a a a a", 0);
    // F3 before any search opens the find dialog; the search from the whole text is not
    // repeated by F3, which goes on from the caret.
    whileOpen(
        [&](QDialog* d) {
            fill(d, "A", {}, {"Origin"})->findChild<QAbstractButton*>("Button1")->click();
        },
        [&] { run("mnuFindNextClick"); });
    QCOMPARE(editor->selectionStartPosition(), 0);
    run("mnuFindNextClick");
    QCOMPARE(editor->selectionStartPosition(), 2);
    // After a single replacement F3 replaces the next match.
    whileOpen(
        [&](QDialog* d) { fill(d, "a", "ż")->findChild<QAbstractButton*>("Button1")->click(); },
        [&] { run("mnuReplaceClick"); });
    run("mnuFindNextClick");
    QCOMPARE(editor->text(), QStringLiteral("a a ż ż a"));
    // After replacing all, F3 replaces all again from the caret; "a" by "aa" comes to an end.
    editor->selectPositions(0, 0);
    whileOpen(
        [&](QDialog* d) { fill(d, "ż", "a")->findChild<QAbstractButton*>("ReplaceAll")->click(); },
        [&] { run("mnuReplaceClick"); });
    QCOMPARE(editor->text(), QStringLiteral("a a a a a"));
    editor->selectPositions(4, 4);
    run("mnuFindNextClick");
    QCOMPARE(m_desktop.messages, QStringList{PhraseNotFound});
    whileOpen(
        [&](QDialog* d) { fill(d, "a", "aa")->findChild<QAbstractButton*>("ReplaceAll")->click(); },
        [&] { run("mnuReplaceClick"); });
    QCOMPARE(editor->text(), QStringLiteral("a a aa aa aa"));
    editor->undo();
    QCOMPARE(editor->text(), QStringLiteral("a a a a a"));
}

void TestSearchCommands::regularExpressions()
{
    TSynMemo* editor = newDocument("łąka1 Łąka22 łĄka333", 0);
    // F3 repeats the expression; replace all uses the groups and is one undo step.
    whileOpen(
        [&](QDialog* d) {
            fill(d, "łąka(\\d+)", {}, {"RegularExpression"})
                ->findChild<QAbstractButton*>("Button1")
                ->click();
        },
        [&] { run("mnuFindClick"); });
    QCOMPARE(editor->selectedText(), QStringLiteral("łąka1"));
    run("mnuFindNextClick");
    QCOMPARE(editor->selectedText(), QStringLiteral("Łąka22"));
    editor->selectPositions(0, 0);
    whileOpen(
        [&](QDialog* d) {
            fill(d, "(\\w)ąka(\\d+)", "\\2\\1", {"RegularExpression"})
                ->findChild<QAbstractButton*>("ReplaceAll")
                ->click();
        },
        [&] { run("mnuReplaceClick"); });
    QCOMPARE(editor->text(), QStringLiteral("1ł 22Ł 333ł"));
    editor->undo();
    QCOMPARE(editor->text(), QStringLiteral("łąka1 Łąka22 łĄka333"));
    // A malformed expression is named and changes nothing.
    whileOpen(
        [&](QDialog* d) {
            fill(d, "ł[ą", "x", {"RegularExpression"})
                ->findChild<QAbstractButton*>("ReplaceAll")
                ->click();
        },
        [&] { run("mnuReplaceClick"); });
    QCOMPARE(m_desktop.errors, QStringList{"Błąd w wyrażeniu regularnym na pozycji 4: brak znaku ] "
                                           "zamykającego klasę znaków."});
    QCOMPARE(editor->text(), QStringLiteral("łąka1 Łąka22 łĄka333"));
    // Unticked, the same text is plain text again.
    editor->setText(QStringLiteral("a.c abc"));
    whileOpen([&](QDialog* d) { fill(d, "a.c")->findChild<QAbstractButton*>("Button1")->click(); },
              [&] { run("mnuFindClick"); });
    QCOMPARE(editor->selectedText(), QStringLiteral("a.c"));
    run("mnuFindNextClick");
    QCOMPARE(m_desktop.messages, QStringList{PhraseNotFound});
}

void TestSearchCommands::keysActOnlyInTheTextBoxes()
{
    TSynMemo* editor = newDocument("ab ab", 0);
    // Enter on a check box does nothing; Esc there neither; Esc in the box cancels.
    QPointer<QDialog> stillOpen;
    whileOpen(
        [&](QDialog* d) {
            fill(d, "ab", "x");
            QTest::keyClick(child(d, "CaseSensitive"), Qt::Key_Return);
            QTest::keyClick(child(d, "CaseSensitive"), Qt::Key_Escape);
            if (d->isVisible())
                stillOpen = d;
            QTest::keyClick(child<QComboBox>(d, "ReplaceText")->lineEdit(), Qt::Key_Escape);
        },
        [&] { run("mnuReplaceClick"); });
    QVERIFY(stillOpen);
    QCOMPARE(editor->text(), QStringLiteral("ab ab"));
    QCOMPARE(child<QComboBox>(stillOpen, "FindText")->count(), 0);
    // Enter in the replacement box replaces one match, never all.
    whileOpen(
        [&](QDialog* d) {
            fill(d, "ab", "x");
            QTest::keyClick(child<QComboBox>(d, "ReplaceText")->lineEdit(), Qt::Key_Enter);
        },
        [&] { run("mnuReplaceClick"); });
    QCOMPARE(editor->text(), QStringLiteral("x ab"));
    // Alt with the underlined letter presses a button.
    whileOpen(
        [&](QDialog* d) {
            QVERIFY(QTest::qWaitForWindowActive(fill(d, "ab", "x")));
            QTest::keyClick(d, Qt::Key_Z, Qt::AltModifier);
        },
        [&] { run("mnuReplaceClick"); });
    QCOMPARE(editor->text(), QStringLiteral("x x"));
}

void TestSearchCommands::dialogsKeepTheirStates()
{
    newDocument("Łąka łąka", 0);
    QDialog* first = whileOpen(
        [&](QDialog* d) {
            fill(d, "łąka", {}, {"CaseSensitive", "Direction"})
                ->findChild<QAbstractButton*>("Button1")
                ->click();
        },
        [&] { run("mnuFindClick"); });
    QStringList items;
    QDialog* second = whileOpen(
        [&](QDialog* d) {
            for (int i = 0; i < child<QComboBox>(d, "FindText")->count(); ++i)
                items << child<QComboBox>(d, "FindText")->itemText(i);
            QVERIFY(child<QCheckBox>(d, "CaseSensitive")->isChecked());
            QVERIFY(child<QRadioButton>(d, "Direction1")->isChecked());
            child<QAbstractButton>(d, "Button2")->click();
        },
        [&] { run("mnuFindClick"); });
    QCOMPARE(first, second);
    QCOMPARE(items.size(), 10);
    QCOMPARE(items.first(), QStringLiteral("łąka"));
    QCOMPARE(m_desktop.messages, QStringList{PhraseNotFound});
}

void TestSearchCommands::emptySearchTexts()
{
    // Without a document nothing opens.
    QVERIFY(!whileOpen([](QDialog* d) { d->reject(); }, [&] { run("mnuFindClick"); }));
    QVERIFY(!whileOpen([](QDialog* d) { d->reject(); }, [&] { run("mnuReplaceClick"); }));
    newDocument("abc", 0);
    whileOpen([&](QDialog* d) { fill(d, "")->findChild<QAbstractButton*>("Button1")->click(); },
              [&] { run("mnuFindClick"); });
    QVERIFY(m_desktop.messages.isEmpty());
    whileOpen(
        [&](QDialog* d) { fill(d, "", "x")->findChild<QAbstractButton*>("Button1")->click(); },
        [&] { run("mnuReplaceClick"); });
    QCOMPARE(m_desktop.messages, QStringList{TextNotFound});
    // With no search text stored, F3 opens the find dialog, not the replace dialog.
    QDialog* opened =
        whileOpen([](QDialog* d) { d->reject(); }, [&] { run("mnuZamianaNextClick"); });
    QVERIFY(opened);
    QCOMPARE(opened->objectName(), QStringLiteral("Form2"));
    // A search text of a megabyte pasted in finds nothing and hangs nothing.
    whileOpen(
        [&](QDialog* d) {
            fill(d, QString(1 << 20, QLatin1Char('b')))
                ->findChild<QAbstractButton*>("Button1")
                ->click();
        },
        [&] { run("mnuFindClick"); });
    QCOMPARE(m_desktop.messages, (QStringList{TextNotFound, PhraseNotFound}));
}

void TestSearchCommands::replaceDialogSaysPromptThroughItsBase()
{
    TForm3 dialog;
    const SearchDialog& common = dialog;
    QVERIFY(common.options().testFlag(SearchOption::Prompt));
}

QTEST_MAIN(TestSearchCommands)
#include "tst_searchcommands.moc"
