// The table generator, the colour picker, the browser preview and the help window.
#include "document/DocumentPage.h"
#include "app/TForm1.h"
#include "authoring/ColourCodes.h"
#include "authoring/TableMarkup.h"
#include "support/ScriptedDesktop.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// The lines of a table, each followed by CR LF.
QString crlf(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + "\r\n";
    return text;
}

QStringList rows(int count, int cells)
{
    QStringList lines;
    for (int r = 0; r < count; ++r) {
        lines << "<tr>";
        for (int c = 0; c < cells; ++c)
            lines << "<td> cela </td>";
        lines << "</tr>";
    }
    return lines;
}

const QString Start =
    "<table border=2 bgcolor=#FFFFFF cellpadding=3 cellspacing=2 align=\"left\" width=\"120\" >";

// Runs `drive` on the modal window that the next event loop turn shows. The timer goes with the
// returned check, so that one never fired cannot fire in the next test.
struct ShownCheck {
    QTimer timer;
    bool ran = false;
};
std::unique_ptr<ShownCheck> whenShown(const std::function<void(QWidget*)>& drive)
{
    auto check = std::make_unique<ShownCheck>();
    check->timer.setSingleShot(true);
    QObject::connect(&check->timer, &QTimer::timeout, qApp, [drive, ran = &check->ran] {
        QWidget* window = QApplication::activeModalWidget();
        QVERIFY(window);
        *ran = true;
        drive(window);
    });
    check->timer.start(0);
    return check;
}

template <typename T> T* child(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(name);
    // Stops the run in every build, naming the control, rather than going on with no control.
    if (!found)
        qFatal("No control named %s of the type asked for", name);
    return found;
}

void retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

} // namespace

using Settings = std::function<void(TableSettings&)>;
Q_DECLARE_METATYPE(Settings)

class TestAuthoringWindows : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void tableMarkup_data();
    void tableMarkup();
    void generatorKeepsItsContentsOnABadCount();
    void generatorCancelChangesNothing();
    void colourCodes_data();
    void colourCodes();
    void colourPickerFollowsItsControls();
    void previewOpensOnlyHtmlFiles_data();
    void previewOpensOnlyHtmlFiles();
    void helpClosesOnEscapeAnywhere();

private:
    TSynMemo* newDocument(const QString& text);
    void fire(const char* action) { m_form->findChild<QAction*>(action)->trigger(); }

    QTemporaryDir m_dir;
    ScriptedDesktop m_desktop;
    std::unique_ptr<TForm1> m_form;
};

void TestAuthoringWindows::init()
{
    m_desktop = ScriptedDesktop();
    m_form = std::make_unique<TForm1>(m_desktop, QStringList{}, m_dir.filePath("Tagomir.dat"));
    m_form->show();
}

void TestAuthoringWindows::cleanup()
{
    for (int i = 0; i < m_form->pageCount(); ++i)
        m_form->page(i)->editor()->markSaved();
    m_form.reset();
}

TSynMemo* TestAuthoringWindows::newDocument(const QString& text)
{
    fire("mnuNowy1");
    TSynMemo* editor = m_form->ActiveEditor();
    editor->setText(text);
    return editor;
}

void TestAuthoringWindows::tableMarkup_data()
{
    QTest::addColumn<Settings>("change");
    QTest::addColumn<QString>("colourBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("colourAfter");
    QTest::addColumn<QString>("error");

    const QString header = "<th colspan=4>Panie Janie</th>";
    const auto none = [](TableSettings&) {};
    QTest::newRow("defaults") << Settings(none) << ""
                              << crlf(QStringList{Start, header} + rows(3, 4) << "</table>")
                              << "#FFFFFF"
                              << "";
    QTest::newRow("empty header") << Settings([](TableSettings& s) { s.header.clear(); }) << ""
                                  << crlf(QStringList{Start, ""} + rows(3, 4) << "</table>")
                                  << "#FFFFFF"
                                  << "";
    QTest::newRow("no rows") << Settings([](TableSettings& s) { s.rows = "0"; }) << ""
                             << crlf({Start, header, "</table>"}) << "#FFFFFF"
                             << "";
    QTest::newRow("no columns, two rows")
        << Settings([](TableSettings& s) { s.rows = "2", s.columns = "0"; }) << ""
        << crlf(QStringList{Start, "<th colspan=0>Panie Janie</th>"} + rows(2, 0) << "</table>")
        << "#FFFFFF"
        << "";
    QString yellow = Start;
    yellow.replace("#FFFFFF", "#FFFF66");
    QTest::newRow("Yellow") << Settings([](TableSettings& s) { s.colour = "Yellow"; }) << "#000000"
                            << crlf(QStringList{yellow, header} + rows(3, 4) << "</table>")
                            << "#FFFF66"
                            << "";
    QString uncoloured = Start;
    uncoloured.replace("#FFFFFF", "");
    QTest::newRow("white before any colour")
        << Settings([](TableSettings& s) { s.colour = "white", s.rows = "0"; }) << ""
        << crlf({uncoloured, header, "</table>"}) << ""
        << "";
    QString red = Start;
    red.replace("#FFFFFF", "#FF0000");
    QTest::newRow("white after Red")
        << Settings([](TableSettings& s) { s.colour = "white", s.rows = "0"; }) << "#FF0000"
        << crlf({red, header, "</table>"}) << "#FF0000"
        << "";
    QTest::newRow("fields as typed")
        << Settings([](TableSettings& s) {
               s.width = "50%", s.align = " middle", s.border = "x", s.rows = "-1";
           })
        << ""
        << crlf({"<table border=x bgcolor=#FFFFFF cellpadding=3 cellspacing=2 align=\" middle\" "
                 "width=\"50%\" >",
                 header, "</table>"})
        << "#FFFFFF"
        << "";
    QTest::newRow("rows not a number, colour taken all the same")
        << Settings([](TableSettings& s) { s.rows = "x", s.colour = "Blue"; }) << ""
        << ""
        << "#0000FF"
        << "'x' is not a valid integer value";
    QTest::newRow("empty columns") << Settings([](TableSettings& s) { s.columns = ""; }) << ""
                                   << ""
                                   << "#FFFFFF"
                                   << "'' is not a valid integer value";
    QTest::newRow("too many cells")
        << Settings([](TableSettings& s) { s.rows = "1000", s.columns = "101"; }) << ""
        << ""
        << "#FFFFFF"
        << "Tabela może mieć najwyżej 100\u00a0000 komórek (wiersze × kolumny); 1000 × 101 to za "
           "dużo.";
    QTest::newRow("too many empty rows")
        << Settings([](TableSettings& s) { s.rows = "2000000000", s.columns = "0"; }) << ""
        << ""
        << "#FFFFFF"
        << "Tabela może mieć najwyżej 100\u00a0000 komórek (wiersze × kolumny); 2000000000 × 0 "
           "to za dużo.";
}

void TestAuthoringWindows::tableMarkup()
{
    QFETCH(Settings, change);
    QFETCH(QString, colourBefore);
    TableSettings settings;
    change(settings);
    const TableMarkup table = buildTableMarkup(settings, colourBefore);
    QTEST(table.text, "text");
    QTEST(table.colourCode, "colourAfter");
    QTEST(table.error, "error");
}

// A count that is no integer is reported and the dialog stays as it was; once corrected, Enter
// puts the table in at the caret, as one step of undo.
void TestAuthoringWindows::generatorKeepsItsContentsOnABadCount()
{
    TSynMemo* editor = newDocument("ab");
    editor->setCursorPosition(0, 1);
    bool driven = false;
    const auto shown1 = whenShown([&](QWidget* dialog) {
        QCOMPARE(dialog->windowTitle(), "Generator tabel HTML");
        auto* rowsBox = child<QComboBox>(dialog, "ComboBoxEx1");
        child<QLineEdit>(dialog, "Edit2")->setText("Tytuł");
        rowsBox->setEditText("x");
        QTest::mouseClick(child<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        QCOMPARE(m_desktop.errors, QStringList{"'x' is not a valid integer value"});
        QVERIFY(dialog->isVisible());
        QCOMPARE(child<QLineEdit>(dialog, "Edit2")->text(), "Tytuł");
        rowsBox->setEditText("1");
        QTest::keyClick(rowsBox->lineEdit(), Qt::Key_Return);
        driven = true;
    });
    fire("mnuGenTable");
    QVERIFY(shown1->ran);
    QVERIFY(driven);
    const QString table =
        crlf(QStringList{Start, "<th colspan=4>Tytuł</th>"} + rows(1, 4) << "</table>");
    QCOMPARE(editor->text(), "a" + table + " b");
    QCOMPARE(editor->caretLine(), 10);
    QCOMPARE(editor->caretColumn(), 1); // before the space
    fire("mnuUndo");
    QCOMPARE(editor->text(), "ab");
}

void TestAuthoringWindows::generatorCancelChangesNothing()
{
    TSynMemo* editor = newDocument("ab");
    const auto shown2 = whenShown([](QWidget* dialog) { dialog->close(); });
    fire("mnuGenTable");
    QVERIFY(shown2->ran);
    const auto shown3 = whenShown([](QWidget* dialog) {
        QTest::mouseClick(child<QPushButton>(dialog, "Button2"), Qt::LeftButton);
    });
    fire("mnuGenTable");
    QVERIFY(shown3->ran);
    QCOMPARE(editor->text(), "ab");
    QVERIFY(!editor->isDocumentModified());
}

void TestAuthoringWindows::colourCodes_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("decimal");
    QTest::newRow("black") << 0 << 0 << 0 << "#000000"
                           << "0";
    QTest::newRow("red") << 255 << 0 << 0 << "#FF0000"
                         << "255";
    QTest::newRow("blue") << 0 << 0 << 255 << "#0000FF"
                          << "16711680";
    QTest::newRow("white") << 255 << 255 << 255 << "#FFFFFF"
                           << "16777215";
    QTest::newRow("orange") << 255 << 102 << 0 << "#FF6600"
                            << "26367";
    QTest::newRow("small parts") << 1 << 10 << 171 << "#010AAB"
                                 << "11209217";
}

void TestAuthoringWindows::colourCodes()
{
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QTEST(htmlColourCode(r, g, b), "html");
    QTEST(decimalColourCode(r, g, b), "decimal");
}

// Edits and track bars move each other, the codes follow, "Wstaw" wraps the selection.
void TestAuthoringWindows::colourPickerFollowsItsControls()
{
    TSynMemo* editor = newDocument("<font >xyz");
    editor->selectPositions(7, 10);
    QStringList seen;
    const auto shown4 = whenShown([&](QWidget* dialog) {
        const auto state = [dialog] {
            QStringList parts;
            for (const char* name : {"EditR", "EditG", "EditB", "HexOutEdit", "DecOutEdit"})
                parts << child<QLineEdit>(dialog, name)->text();
            for (const char* name : {"TrackR", "TrackG", "TrackB"})
                parts << QString::number(child<QSlider>(dialog, name)->value());
            return parts.join(' ');
        };
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        seen << state();
        retype(child<QLineEdit>(dialog, "EditG"), "128");
        seen << state();
        child<QSlider>(dialog, "TrackR")->setValue(255);
        seen << state();
        auto* blue = child<QLineEdit>(dialog, "EditB");
        retype(blue, "999");
        seen << state();
        blue->setFocus();
        retype(blue, "ab");
        QTest::keyClick(blue, Qt::Key_Tab); // leaving the edit shows the value again
        seen << state();
        QTest::mouseClick(child<QPushButton>(dialog, "btnWstaw"), Qt::LeftButton);
    });
    fire("mnuKolor");
    QVERIFY(shown4->ran);
    QCOMPARE(seen, QStringList({"0 0 0 #000000 0 0 0 0", "0 128 0 #008000 32768 0 128 0",
                                "255 128 0 #FF8000 33023 255 128 0",
                                "255 128 255 #FF80FF 16744703 255 128 255",
                                "255 128 255 #FF80FF 16744703 255 128 255"}));
    QCOMPARE(editor->text(), "<font >color=#FF80FFxyz ");
    QCOMPARE(editor->selectionStartPosition(), 20); // "xyz" selected again
    QCOMPARE(editor->selectionEndPosition(), 23);
    fire("mnuUndo");
    QCOMPARE(editor->text(), "<font >xyz");

    const auto shown5 = whenShown([](QWidget* dialog) { // starts from black again
        QCOMPARE(child<QLineEdit>(dialog, "HexOutEdit")->text(), "#000000");
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    fire("mnuKolor");
    QVERIFY(shown5->ran);
    QCOMPARE(editor->text(), "<font >xyz");
}

void TestAuthoringWindows::previewOpensOnlyHtmlFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("opened");
    QTest::newRow(".html") << "/strony/indeks.html" << true;
    QTest::newRow(".htm") << "/strony/a.b.htm" << true;
    QTest::newRow("capitals") << "/strony/INDEKS.HTM" << false;
    QTest::newRow("other extension") << "/strony/indeks.html.bak" << false;
    QTest::newRow("dot only in a folder") << "/strony.html/indeks" << false;
    QTest::newRow("never saved") << "" << false;
}

void TestAuthoringWindows::previewOpensOnlyHtmlFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, opened);
    fire("mnuZobacz"); // no document: nothing at all
    QVERIFY(m_desktop.messages.isEmpty() && m_desktop.openedWithProgram.isEmpty());
    newDocument("<p>")->setDocumentPath(path);
    QTest::mouseClick(m_form->findChild<QToolButton*>("ToolButton28"), Qt::LeftButton);
    QCOMPARE(m_desktop.openedWithProgram, opened ? QStringList{path} : QStringList{});
    QCOMPARE(m_desktop.messages,
             opened ? QStringList{}
                    : QStringList{"Skarbie!!\r\nReaguję tylko na pliki HTML. Taki plik to ja mam "
                                  "...!"});
}

void TestAuthoringWindows::helpClosesOnEscapeAnywhere()
{
    for (const char* focus : {"Memo1", "bitZamknij"}) {
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        bool closed = false;
        const auto shown6 = whenShown([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), "Pomoc");
            QVERIFY(child<QPlainTextEdit>(dialog, "Memo1")->toPlainText().contains("„Tagomir”"));
            QWidget* control = child<QWidget>(dialog, focus);
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Escape);
            closed = !dialog->isVisible();
        });
        QTest::keyClick(m_form.get(), Qt::Key_F1); // with no document open
        QVERIFY(closed);
    }
}

QTEST_MAIN(TestAuthoringWindows)
#include "tst_authoringwindows.moc"
