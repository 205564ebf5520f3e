// The edit commands with the real clipboard, and choosing each document's colouring.
#include "document/DocumentPage.h"
#include "editor/Highlighters.h"
#include "app/TForm1.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qscilexer.h>

class TestEditing : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cutCopyPasteDelete_data();
    void cutCopyPasteDelete();
    void withoutSelectionNothingChanges();
    void pasteOfNoTextChangesNothing();
    void undoAndRedoFromEveryControl_data();
    void undoAndRedoFromEveryControl();
    void colouringCommands_data();
    void colouringCommands();
    void colouringIsPerDocumentAndNotAnEdit();
    void nothingHappensWithoutADocument();

private:
    TSynMemo* newDocument(const QString& text);
    void fire(const char* name) { m_form->findChild<QAction*>(name)->trigger(); }

    QTemporaryDir m_dir;
    ScriptedDesktop m_desktop;
    std::unique_ptr<TForm1> m_form;
};

void TestEditing::init()
{
    m_form = std::make_unique<TForm1>(m_desktop, QStringList{}, m_dir.filePath("Tagomir.dat"));
    m_form->show();
    QGuiApplication::clipboard()->clear();
}

void TestEditing::cleanup()
{
    for (int i = 0; i < m_form->pageCount(); ++i)
        m_form->page(i)->editor()->markSaved();
    m_form.reset();
}

TSynMemo* TestEditing::newDocument(const QString& text)
{
    fire("mnuNowy1");
    TSynMemo* editor = m_form->ActiveEditor();
    editor->setText(text);
    return editor;
}

void TestEditing::cutCopyPasteDelete_data()
{
    QTest::addColumn<QStringList>("controls"); // cut, copy, paste, delete
    QTest::newRow("menu") << QStringList{"mnuCut", "mnuCopy", "mnuPaste", "mnuDelete"};
    QTest::newRow("toolbar") << QStringList{"ToolButton10", "ToolButton11", "ToolButton12",
                                            "ToolButton13"};
    QTest::newRow("context menu") << QStringList{"pupCut", "pupCopy", "pupPaste", "pupDelete"};
}

void TestEditing::cutCopyPasteDelete()
{
    QFETCH(QStringList, controls);
    TSynMemo* editor = newDocument("zażółć gęślą jaźń");
    editor->setSelection(0, 2, 0, 6); // "żółć"
    fire(controls[1].toLatin1());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("żółć"));
    QCOMPARE(editor->text(), QStringLiteral("zażółć gęślą jaźń"));

    editor->setSelection(0, 7, 0, 12); // "gęślą"
    fire(controls[0].toLatin1());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("gęślą"));
    QCOMPARE(editor->text(), QStringLiteral("zażółć  jaźń"));

    editor->setCursorPosition(0, 0);
    fire(controls[2].toLatin1());
    QCOMPARE(editor->text(), QStringLiteral("gęślązażółć  jaźń"));

    editor->setSelection(0, 0, 0, 5);
    fire(controls[3].toLatin1());
    QCOMPARE(editor->text(), QStringLiteral("zażółć  jaźń"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("gęślą")); // delete keeps it
}

void TestEditing::withoutSelectionNothingChanges()
{
    TSynMemo* editor = newDocument("abc");
    editor->setCursorPosition(0, 1);
    QGuiApplication::clipboard()->setText("schowek");
    for (const char* name : {"mnuCut", "mnuCopy", "mnuDelete"})
        fire(name);
    QCOMPARE(editor->text(), QStringLiteral("abc"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("schowek"));
}

void TestEditing::pasteOfNoTextChangesNothing()
{
    TSynMemo* editor = newDocument("abc");
    fire("mnuPaste"); // empty clipboard
    QCOMPARE(editor->text(), QStringLiteral("abc"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(image);
    fire("mnuPaste");
    QCOMPARE(editor->text(), QStringLiteral("abc"));
}

void TestEditing::undoAndRedoFromEveryControl_data()
{
    QTest::addColumn<QString>("undo");
    QTest::addColumn<QString>("redo");
    QTest::newRow("menu") << "mnuUndo"
                          << "mnuRedo";
    QTest::newRow("toolbar") << "ToolButton8"
                             << "ToolButton9";
    QTest::newRow("context menu and menu") << "pupUndo"
                                           << "mnuRedo";
}

void TestEditing::undoAndRedoFromEveryControl()
{
    QFETCH(QString, undo);
    QFETCH(QString, redo);
    TSynMemo* editor = newDocument("");
    editor->markSaved();
    editor->setFocus();
    typeText(editor->widget(), QStringLiteral("ą"));
    QCOMPARE(editor->text(), QStringLiteral("ą"));
    fire(undo.toLatin1());
    QCOMPARE(editor->text(), QString());
    QVERIFY(!editor->isDocumentModified());
    fire(redo.toLatin1());
    QCOMPARE(editor->text(), QStringLiteral("ą"));
}

void TestEditing::colouringCommands_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("lexer");
    QTest::newRow("HTML") << "mnuHtm2"
                          << "HTMLSyn";
    QTest::newRow("XML") << "mnuXML"
                         << "XMLSyn";
    QTest::newRow("CSS") << "mnuCss"
                         << "CssSyn";
    QTest::newRow("Java") << "mnuJava"
                          << "JavaSyn";
    QTest::newRow("JavaScript") << "mnuJavaJs"
                                << "JScriptSyn";
    QTest::newRow("PHP") << "mnuPhp"
                         << "PHPSyn";
    QTest::newRow("Perl") << "mnuPerl"
                          << "PerlSyn";
    QTest::newRow("Python") << "mnuPyton"
                            << "PythonSyn";
    QTest::newRow("Pascal") << "podDelphi"
                            << "PasSyn";
    QTest::newRow("C++") << "mnuCpp"
                         << "CppSyn";
    QTest::newRow("SQL") << "mnuSql"
                         << "SqlSyn";
}

void TestEditing::colouringCommands()
{
    QFETCH(QString, item);
    QFETCH(QString, lexer);
    TSynMemo* editor = newDocument("select 1;");
    QVERIFY(!editor->lexer()); // a new document starts plain
    fire(item.toLatin1());
    QVERIFY(editor->lexer());
    QCOMPARE(editor->lexer()->objectName(), lexer);
    QVERIFY(!m_form->findChild<QAction*>(item)->isChecked());
}

void TestEditing::colouringIsPerDocumentAndNotAnEdit()
{
    const QString path = writeFile(m_dir.filePath("skrypt.py"), "print('żółw')\r\n");
    m_form->OpenFileInPage("skrypt.py", path);
    TSynMemo* python = m_form->ActiveEditor();
    QCOMPARE(python->lexer()->objectName(), QStringLiteral("HTMLSyn")); // any file starts as HTML
    TSynMemo* other = newDocument("x");
    fire("mnuHtm2");
    m_form->OpenFileInPage("skrypt.py", path); // activates its page again
    QVERIFY(m_form->ActiveEditor() == python);
    fire("mnuPyton");
    QCOMPARE(python->lexer()->objectName(), QStringLiteral("PythonSyn"));
    QCOMPARE(other->lexer()->objectName(), QStringLiteral("HTMLSyn"));
    QVERIFY(!python->isDocumentModified());
    fire("mnuUndo");
    QCOMPARE(python->lexer()->objectName(), QStringLiteral("PythonSyn"));
    QCOMPARE(python->text(), QStringLiteral("print('żółw')"));
}

void TestEditing::nothingHappensWithoutADocument()
{
    QGuiApplication::clipboard()->setText("schowek");
    for (const char* name : {"mnuUndo", "mnuRedo", "mnuCut", "mnuCopy", "mnuPaste", "mnuDelete",
                             "mnuHtm2", "mnuXML", "mnuCss", "mnuJava", "mnuJavaJs", "mnuPhp",
                             "mnuPerl", "mnuPyton", "podDelphi", "mnuCpp", "mnuSql"})
        fire(name);
    QCOMPARE(m_form->pageCount(), 0);
    QVERIFY(m_desktop.errors.isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("schowek"));
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
