// Document pages: opening from the command line and the dialog, finding the page of a file,
// new documents, and what the status bar, tab marker and title show.
#include "document/Document.h"
#include "document/DocumentEncodings.h"
#include "document/DocumentPage.h"
#include "app/TForm1.h"
#include "support/GoldenPages.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    return writeFile(dir.filePath(name), bytes);
}

} // namespace

class TestPages : public QObject {
    Q_OBJECT
private slots:
    void init();
    void commandLineOpensEveryFileWhenTheFirstExists();
    void commandLineOpensNothingWhenTheFirstIsMissing();
    void commandLineOpensEachReadableFile_data();
    void commandLineOpensEachReadableFile();
    void findPageOfFile_data();
    void findPageOfFile();
    void theListFindsOpensAndClosesDocuments();
    void newDocumentsAreNumberedWithoutReuse();
    void openDialogRemembersItsChoice();
    void openingAFolderReportsIt();
    void droppedFilesAreOpened();
    void caretPositionFormat();
    void typingMarksTheDocumentModified();
    void switchingPagesUpdatesPanelsAndTitle();
    void goldenPagesOpenAndSaveBack_data();
    void goldenPagesOpenAndSaveBack();

private:
    std::unique_ptr<TForm1> makeForm(const QStringList& arguments = {});
    QTemporaryDir m_dir;
    ScriptedDesktop m_desktop;
};

void TestPages::init()
{
    m_desktop = ScriptedDesktop();
}

std::unique_ptr<TForm1> TestPages::makeForm(const QStringList& arguments)
{
    auto form = std::make_unique<TForm1>(m_desktop, arguments, m_dir.filePath("Tagomir.dat"));
    form->show();
    QCoreApplication::processEvents(); // runs the command-line opening queued by the first show
    return form;
}

void TestPages::commandLineOpensEveryFileWhenTheFirstExists()
{
    const QString a = writeFile(m_dir, "a.htm", "<p>a</p>\r\n");
    const QString b = writeFile(m_dir, "b.htm", "<p>b</p>\r\n");
    auto form = makeForm({a, b});
    QCOMPARE(form->pageCount(), 2);
    QCOMPARE(form->page(0)->caption(), QStringLiteral("a.htm"));
    QCOMPARE(form->page(1)->caption(), QStringLiteral("b.htm"));
    QCOMPARE(form->activePage(), form->page(1));
    QCOMPARE(form->page(0)->editor()->documentPath(), a);
    QCOMPARE(form->panelText(3), b);
    QVERIFY(form->page(0)->editor()->lexer()); // files from disk start with HTML colouring
}

void TestPages::commandLineOpensNothingWhenTheFirstIsMissing()
{
    const QString b = writeFile(m_dir, "b.htm", "b");
    auto form = makeForm({m_dir.filePath("missing.htm"), b});
    QCOMPARE(form->pageCount(), 0);
    QVERIFY(m_desktop.errors.isEmpty());
}

void TestPages::commandLineOpensEachReadableFile_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QString>("unreadable");
    QTest::newRow("missing in the middle")
        << QStringList{"a.htm", "gone.htm", "c.htm"} << QStringList{"a.htm", "c.htm"} << "gone.htm";
    QTest::newRow("a folder first")
        << QStringList{"folder", "a.htm"} << QStringList{"a.htm"} << "folder";
}

void TestPages::commandLineOpensEachReadableFile()
{
    // A file that cannot be read is reported and gets no page; the others open.
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, pages);
    QFETCH(QString, unreadable);
    writeFile(m_dir, "a.htm", "a");
    writeFile(m_dir, "c.htm", "c");
    QDir(m_dir.path()).mkdir("folder");
    QStringList paths;
    for (const QString& argument : arguments)
        paths << m_dir.filePath(argument);
    auto form = makeForm(paths);
    QCOMPARE(m_desktop.errors.size(), 1);
    QVERIFY(m_desktop.errors[0].startsWith("Cannot open file " + m_dir.filePath(unreadable)));
    QStringList captions;
    for (int i = 0; i < form->pageCount(); ++i) {
        captions << form->page(i)->caption();
        QVERIFY(!form->page(i)->editor()->documentPath().endsWith(unreadable));
    }
    QCOMPARE(captions, pages);
}

void TestPages::findPageOfFile_data()
{
    QTest::addColumn<QString>("sought");
    QTest::addColumn<int>("expected");
    QTest::newRow("same path") << "dir/page.htm" << 0;
    QTest::newRow("through ..") << "dir/../dir/page.htm" << 0;
    QTest::newRow("through a symbolic link") << "link.htm" << 0;
    QTest::newRow("other letter case") << "dir/Page.htm" << -1;
    QTest::newRow("Polish letter case") << "dir/Łódź.htm" << -1;
    QTest::newRow("same name, other folder") << "other/page.htm" << -1;
}

void TestPages::findPageOfFile()
{
    QFETCH(QString, sought);
    QFETCH(int, expected);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("dir");
    QDir(dir.path()).mkpath("other");
    const QString page = writeFile(dir, "dir/page.htm", "x");
    writeFile(dir, "dir/Page.htm", "y");
    writeFile(dir, "dir/łódź.htm", "z");
    writeFile(dir, "dir/Łódź.htm", "Z");
    writeFile(dir, "other/page.htm", "w");
    QFile::link(page, dir.filePath("link.htm"));
    auto form = makeForm();
    form->OpenFileInPage("page.htm", page);
    form->OpenFileInPage("łódź.htm", dir.filePath("dir/łódź.htm"));
    QCOMPARE(form->FindPageOfFile(dir.filePath(sought)), expected);

    // Opening the same file again activates its page instead of reading it anew.
    form->OpenFileInPage(QFileInfo(sought).fileName(), dir.filePath(sought));
    QCOMPARE(form->pageCount(), expected == 0 ? 2 : 3);
}

void TestPages::theListFindsOpensAndClosesDocuments()
{
    const QString a = writeFile(m_dir, "a.htm", "<p>a</p>\n");
    const QString b = writeFile(m_dir, "b.htm", "<p>b</p>\r\n");
    auto form = makeForm({a, b});
    DocumentList& list = form->documents();
    Document* first = list.find(m_dir.filePath("./a.htm"));
    QVERIFY(first);
    QCOMPARE(first->path(), a);
    QCOMPARE(first->encodingName(), QStringLiteral("Nieznany"));
    QCOMPARE(first->format().lineBreak, LineBreak::Lf);
    QCOMPARE(first->diskStamp(), fileStamp(a));
    QCOMPARE(list.documents(), QList<Document*>({first, list.find(b)}));
    QCOMPARE(list.find(m_dir.filePath("missing.htm")), nullptr);

    // Opening an open file shows its page and reads nothing.
    int shown = 0;
    const auto show = [&](DocumentPage*, DocumentRead&) { ++shown; };
    QCOMPARE(list.open("a.htm", a, show), list.pageOf(first));
    QCOMPARE(list.active(), list.pageOf(first));
    QCOMPARE(shown, 0);
    // A file that cannot be read gets no page.
    QVERIFY_THROWS_EXCEPTION(std::exception,
                             list.open("missing.htm", m_dir.filePath("missing.htm"), show));
    QCOMPARE(list.count(), 2);

    QList<Document*> changed;
    QList<Document*> closing;
    connect(&list, &DocumentList::changed, this, [&](Document* document) { changed << document; });
    connect(&list, &DocumentList::aboutToClose, this,
            [&](Document* document) { closing << document; });
    typeText(form->ActiveEditor()->widget(), "x");
    QCOMPARE(changed, QList<Document*>({first}));
    QVERIFY(first->isModified());
    list.close(first);
    QCOMPARE(closing, QList<Document*>({first}));
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.find(a), nullptr);
}

void TestPages::newDocumentsAreNumberedWithoutReuse()
{
    auto form = makeForm();
    auto* newAction = form->findChild<QAction*>("mnuNowy1");
    auto* closeAction = form->findChild<QAction*>("mnuZamknij");
    newAction->trigger();
    newAction->trigger();
    QCOMPARE(m_desktop.applicationTitle(), QStringLiteral("Nowy 2"));
    closeAction->trigger();
    closeAction->trigger();
    QCOMPARE(form->pageCount(), 0);
    newAction->trigger();
    QCOMPARE(form->activePage()->caption(), QStringLiteral("Nowy 3"));
    QVERIFY(!form->ActiveEditor()->lexer());
    QCOMPARE(form->ActiveEditor()->documentPath(), QString());
    QCOMPARE(form->panelText(3), QString());
}

void TestPages::openDialogRemembersItsChoice()
{
    const QString a = writeFile(m_dir, "a.htm", "<meta charset=\"utf-8\">\r\nżółw\r\n");
    auto form = makeForm();
    m_desktop.setApplicationTitle("before");
    m_desktop.openChoices.enqueue(a);
    form->findChild<QAction*>("mnuOpen")->trigger();
    QCOMPARE(form->pageCount(), 1);
    QCOMPARE(m_desktop.applicationTitle(), QStringLiteral("a.htm"));
    QCOMPARE(m_desktop.openRequests[0].filters.size(), 11);
    QCOMPARE(m_desktop.openRequests[0].defaultSuffix, QStringLiteral("htm"));
    QVERIFY(m_desktop.openRequests[0].fileName.isEmpty());

    m_desktop.openChoices.enqueue(std::nullopt);
    form->findChild<QAction*>("ToolButton3")->trigger();
    QCOMPARE(m_desktop.openRequests[1].fileName, a);
    QCOMPARE(form->pageCount(), 1);
}

void TestPages::openingAFolderReportsIt()
{
    auto form = makeForm();
    m_desktop.openChoices.enqueue(m_dir.path());
    form->findChild<QAction*>("mnuOpen")->trigger();
    QCOMPARE(m_desktop.errors.size(), 1);
    QVERIFY(m_desktop.errors[0].startsWith("Cannot open file " + m_dir.path()));
}

void TestPages::droppedFilesAreOpened()
{
    const QString a = writeFile(m_dir, "upuszczony.htm", "<meta charset=\"iso-8859-2\">\r\n");
    auto form = makeForm();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    QTRY_COMPARE(form->pageCount(), 1);
    QCOMPARE(form->activePage()->caption(), QStringLiteral("upuszczony.htm"));
    QCOMPARE(form->panelText(2), QStringLiteral("ISO-8859-2"));
}

void TestPages::caretPositionFormat()
{
    QByteArray text;
    for (int line = 1; line <= 12; ++line)
        text += "ąbcdefgh\r\n";
    const QString path = writeFile(m_dir, "lines.htm", text);
    auto form = makeForm({path});
    TSynMemo* editor = form->ActiveEditor();
    editor->setCursorPosition(11, 4);
    QTRY_COMPARE(form->panelText(0), QStringLiteral("  12:  5"));
    QCOMPARE(editor->caretColumn(), 5); // "ą" counts once
}

void TestPages::typingMarksTheDocumentModified()
{
    const QString path = writeFile(m_dir, "t.htm", "abc\r\n");
    auto form = makeForm({path});
    TSynMemo* editor = form->ActiveEditor();
    QCOMPARE(form->activePage()->modifiedMarker(), 0);
    editor->setFocus();
    typeText(editor->widget(), "ż");
    QTRY_COMPARE(form->panelText(1), QStringLiteral("   Zmieniony  "));
    QCOMPARE(form->activePage()->modifiedMarker(), 1);
    form->findChild<QAction*>("mnuZapis")->trigger();
    QTRY_COMPARE(form->panelText(1), QString());
    QCOMPARE(form->activePage()->modifiedMarker(), 0);
}

void TestPages::switchingPagesUpdatesPanelsAndTitle()
{
    const QString a = writeFile(m_dir, "a.htm", "<meta charset=iso-8859-2>\r\n");
    const QString b = writeFile(m_dir, "b.htm", "<meta charset=utf-8>\r\n");
    auto form = makeForm({a, b});
    form->encodings().setCharsetLine(7, "charset=x");
    auto* tabs = form->findChild<QTabWidget*>("PC");
    tabs->tabBar()->setCurrentIndex(0);
    QCOMPARE(form->panelText(3), a);
    QCOMPARE(form->panelText(2), QStringLiteral("ISO-8859-2"));
    QCOMPARE(m_desktop.applicationTitle(), QStringLiteral("a.htm"));
    QCOMPARE(form->findChild<QLabel*>("Label3")->text(), QStringLiteral("0"));
    QCOMPARE(form->selectedEncodingIndex(), 1);
    tabs->tabBar()->setCurrentIndex(1);
    QCOMPARE(form->panelText(2), QStringLiteral("UTF-8"));
    QCOMPARE(form->selectedEncodingIndex(), 0);
    // Closing a page shows the file of the page that takes its place.
    form->findChild<QAction*>("mnuZamknij")->trigger();
    QCOMPARE(form->panelText(3), a);
    QCOMPARE(form->panelText(2), QStringLiteral("ISO-8859-2"));
}

void TestPages::goldenPagesOpenAndSaveBack_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<int>("charsetLineIndex");
    for (const GoldenPage& page : GoldenPages)
        QTest::newRow(page.row) << QString::fromLatin1(page.file)
                                << QString::fromLatin1(page.encoding) << page.charsetLineIndex;
}

void TestPages::goldenPagesOpenAndSaveBack()
{
    // Opened in the window and saved with Zapisz, a page comes back byte for byte (with CR LF,
    // or with LF when it had LF breaks only).
    QFETCH(QString, file);
    QFETCH(QString, encoding);
    QFETCH(int, charsetLineIndex);
    const QByteArray bytes = readFile(goldenPagePath(file.toLatin1()));
    const QString path = writeFile(m_dir, file.toLatin1(), bytes);
    auto form = makeForm({path});
    QCOMPARE(form->activePage()->encodingName(), encoding);
    QCOMPARE(form->panelText(2), encoding);
    QCOMPARE(form->encodings().charsetLineIndex(), qsizetype(qMax(charsetLineIndex, 0)));
    QCOMPARE(form->ActiveEditor()->textBytes(),
             readFile(goldenPagePath(file.toLatin1()) + ".expected.txt"));
    form->findChild<QAction*>("mnuZapis")->trigger();
    const QByteArray lines = QByteArray(bytes).replace("\r\n", "\n");
    QCOMPARE(readFile(path), bytes.contains('\r') ? QByteArray(lines).replace("\n", "\r\n") : lines);
}

QTEST_MAIN(TestPages)
#include "tst_pages.moc"
