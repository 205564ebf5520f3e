// Saving, closing and reopening documents through the window's commands, with the user's
// answers scripted.
#include "app/TForm1.h"
#include "document/DocumentPage.h"
#include "editor/EditorLimits.h"
#include "support/ComponentAccess.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QString question(const QString& caption)
{
    return QStringLiteral("Dokument \"%1\" został zmodyfikowany.\rCzy chcesz go zapisać?")
        .arg(caption);
}

// Sets or clears the flag that stops even the superuser from writing the file.
bool setImmutable(const QString& path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

} // namespace

class TestSaving : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void roundTripIsByteIdentical_data();
    void roundTripIsByteIdentical();
    void savesEndLinesAsTheFileDid_data();
    void savesEndLinesAsTheFileDid();
    void closeThisFile_data();
    void closeThisFile();
    void closeAllGoesActiveThenFollowingThenFirst();
    void closeAllStopsAtCancel();
    void newDocumentIsSavedThroughTheDialog();
    void closeAllWritesEachPageInItsOwnEncoding();
    void failedSaveKeepsEverything_data();
    void failedSaveKeepsEverything();
    void deletedFileIsSavedThroughTheDialog();
    void reopenAsksFirstAndRereads();
    void reopenOfAnUnreadableFileChangesNothing();
    void closingTheWindowStopsAtCancel();
    void newDocumentKeepsTheEncodingItWasFirstWrittenIn();
    void saveFollowsTheDeclarationFoundAfterOpen();
    void savingTwiceWritesTheSameBytes_data();
    void savingTwiceWritesTheSameBytes();
    void saveAsOntoAnotherPagesFileIsRefused();
    void saveAsksBeforeOverwritingAnotherProgramsChange_data();
    void saveAsksBeforeOverwritingAnotherProgramsChange();
    void malformedUtf8IsAnnouncedAndKept_data();
    void malformedUtf8IsAnnouncedAndKept();
    void filesTheEditorCannotHoldAreRefused_data();
    void filesTheEditorCannotHoldAreRefused();

private:
    TForm1& open(const QStringList& files);
    void type(const QString& text);
    QAction* action(const char* name) { return m_form->findChild<QAction*>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedDesktop m_desktop;
    std::unique_ptr<TForm1> m_form;
};

void TestSaving::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_desktop = ScriptedDesktop();
    m_form = std::make_unique<TForm1>(m_desktop, QStringList{}, m_dir->filePath("Tagomir.dat"));
    m_form->show();
}

void TestSaving::cleanup()
{
    // Leave nothing to ask about when the window goes.
    for (int i = 0; i < m_form->pageCount(); ++i)
        m_form->page(i)->editor()->markSaved();
    m_form.reset();
}

TForm1& TestSaving::open(const QStringList& files)
{
    for (const QString& file : files)
        m_form->OpenFileInPage(QFileInfo(file).fileName(), file);
    return *m_form;
}

void TestSaving::type(const QString& text)
{
    TSynMemo* editor = m_form->ActiveEditor();
    editor->setFocus();
    component(editor)->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    typeText(editor->widget(), text);
}

void TestSaving::roundTripIsByteIdentical_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    QTest::newRow("UTF-8") << QByteArray("<meta charset=\"utf-8\">\r\nzażółć gęślą jaźń → Жж 😀\r\n")
                           << "UTF-8";
    QTest::newRow("ISO-8859-2") << QByteArray(
                                       "charset=iso-8859-2\r\n\xb1\xe6\xea\xb3\xf1\xf3\xb6\xbc\xbf"
                                       "\xa1\xc6\xca\xa3\xd1\xd3\xa6\xac\xaf\r\n")
                                << "ISO-8859-2";
    QTest::newRow("windows-1250")
        << QByteArray("charset=windows-1250\r\n\xb9\xe6\xea\xb3\xf1\xf3\x9c\x9f\xbf"
                      "\xa5\xc6\xca\xa3\xd1\xd3\x8c\x8f\xaf\r\n")
        << "CP-1250";
    QTest::newRow("undeclared UTF-8 style sheet")
        << QByteArray("/* żółw */\r\np { }\r\n") << "UTF-8";
}

void TestSaving::roundTripIsByteIdentical()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    const QString path = writeFile(m_dir->filePath("page.htm"), bytes);
    open({path});
    QCOMPARE(m_form->panelText(2), encoding);
    QCOMPARE(m_form->activePage()->encodingName(), encoding);
    type("x");
    component(m_form->ActiveEditor())->SendScintilla(QsciScintillaBase::SCI_DELETEBACK);
    QVERIFY(m_form->ActiveEditor()->isDocumentModified());
    action("mnuZapis")->trigger();
    QVERIFY(m_desktop.errors.isEmpty());
    QCOMPARE(readFile(path), bytes);
    QVERIFY(!m_form->ActiveEditor()->isDocumentModified());
}

void TestSaving::savesEndLinesAsTheFileDid_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QByteArray>("written");
    const QByteArray lf("charset=utf-8\n\xc5\xbc"
                        "aba\n");
    const QByteArray lfWritten("charset=utf-8\n\xc5\xbc"
                               "abax\n");
    const QByteArray crLfWritten("charset=utf-8\r\n\xc5\xbc"
                                 "abax\r\n");
    QTest::newRow("LF, Zapisz on the toolbar") << lf << "ToolButton4" << lfWritten;
    QTest::newRow("LF, Zapisz jako") << lf << "mnuZapisJako" << lfWritten;
    QTest::newRow("LF, saved on closing") << lf << "mnuZamykaAll" << lfWritten;
    QTest::newRow("CR LF") << QByteArray("charset=utf-8\r\n\xc5\xbc"
                                         "aba\r\n")
                           << "mnuZapis" << crLfWritten;
    QTest::newRow("mixed") << QByteArray("charset=utf-8\r\n\xc5\xbc"
                                         "aba\n")
                           << "mnuZapis" << crLfWritten;
    QTest::newRow("CR") << QByteArray("charset=utf-8\r\xc5\xbc"
                                      "aba\r")
                        << "mnuZapis" << crLfWritten;
    QTest::newRow("no break") << QByteArray("charset=utf-8") << "mnuZapis"
                              << QByteArray("charset=utf-8x\r\n");
    QTest::newRow("LF, Nieznany")
        << QByteArray("abc\n") << "mnuZapis" << QByteArray("abcx\n");
}

void TestSaving::savesEndLinesAsTheFileDid()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, save);
    QFETCH(QByteArray, written);
    const QString path = writeFile(m_dir->filePath("page.htm"), bytes);
    QString target = path;
    open({path});
    type("x");
    if (save == "mnuZapisJako") {
        target = m_dir->filePath("other.htm");
        m_desktop.saveChoices.enqueue(target);
    }
    m_desktop.answers.enqueue(Answer::Yes);
    action(save.toLatin1())->trigger();
    QVERIFY(m_desktop.errors.isEmpty());
    QCOMPARE(readFile(target), written);
}

void TestSaving::closeThisFile_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QByteArray>("fileAfter");
    QTest::newRow("Yes saves and closes") << int(Answer::Yes) << true << QByteArray("abcx\r\n");
    QTest::newRow("No closes unsaved") << int(Answer::No) << true << QByteArray("abc\r\n");
    QTest::newRow("Cancel keeps it open") << int(Answer::Cancel) << false << QByteArray("abc\r\n");
}

void TestSaving::closeThisFile()
{
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(QByteArray, fileAfter);
    const QString path = writeFile(m_dir->filePath("a.htm"), "abc\r\n");
    open({path});
    type("x");
    m_desktop.answers.enqueue(Answer(answer));
    action("mnuZamknij")->trigger();
    QCOMPARE(m_desktop.questions, QStringList{question("a.htm")});
    QCOMPARE(m_form->pageCount(), closed ? 0 : 1);
    QCOMPARE(readFile(path), fileAfter);
}

void TestSaving::closeAllGoesActiveThenFollowingThenFirst()
{
    QStringList files;
    for (const char* name : {"1.htm", "2.htm", "3.htm"})
        files << writeFile(m_dir->filePath(name), "x\r\n");
    open(files);
    for (int i = 2; i >= 0; --i) {
        m_form->findChild<QTabWidget*>("PC")->tabBar()->setCurrentIndex(i);
        type("y");
    }
    for (int i = 0; i < 3; ++i)
        m_desktop.answers.enqueue(Answer::No);
    m_form->findChild<QTabWidget*>("PC")->tabBar()->setCurrentIndex(1);
    action("mnuZamykaAll")->trigger();
    QCOMPARE(m_desktop.questions,
             (QStringList{question("2.htm"), question("3.htm"), question("1.htm")}));
    QCOMPARE(m_form->pageCount(), 0);
}

void TestSaving::closeAllStopsAtCancel()
{
    const QString a = writeFile(m_dir->filePath("a.htm"), "a\r\n");
    const QString b = writeFile(m_dir->filePath("b.htm"), "b\r\n");
    open({a, b});
    type("!");
    m_desktop.answers.enqueue(Answer::Cancel);
    action("mnuZamykaAll")->trigger();
    QCOMPARE(m_form->pageCount(), 2);
    QVERIFY(m_form->ActiveEditor()->isDocumentModified());
}

void TestSaving::newDocumentIsSavedThroughTheDialog()
{
    action("mnuNowy1")->trigger();
    type("żółw");
    const QString path = m_dir->filePath("nowy.htm");
    m_desktop.saveChoices.enqueue(path);
    action("mnuZapis")->trigger();
    QCOMPARE(m_desktop.saveRequests.size(), 1);
    QCOMPARE(m_desktop.saveRequests[0].filters.size(), 2);
    QCOMPARE(m_form->activePage()->caption(), QStringLiteral("nowy.htm"));
    QCOMPARE(m_form->ActiveEditor()->documentPath(), path);
    QCOMPARE(m_form->panelText(3), QString()); // until the user switches pages
    QTRY_COMPARE(m_form->panelText(1), QString());
    QCOMPARE(m_form->activePage()->modifiedMarker(), 0);
    // Nothing opened yet, so no encoding is chosen: windows-1250 bytes with CR LF.
    QCOMPARE(readFile(path), QByteArray("\xbf\xf3\xb3w\r\n"));

    // Save as remembers the name; a cancelled dialog writes nothing.
    type("!");
    m_desktop.saveChoices.enqueue(std::nullopt);
    action("mnuZapisJako")->trigger();
    QCOMPARE(m_desktop.saveRequests[1].fileName, path);
    QCOMPARE(readFile(path), QByteArray("\xbf\xf3\xb3w\r\n"));
    QVERIFY(m_form->ActiveEditor()->isDocumentModified());
}

void TestSaving::closeAllWritesEachPageInItsOwnEncoding()
{
    // Whatever encoding is selected when closing, each page is written in its own.
    const QString utf = writeFile(m_dir->filePath("u.htm"), "charset=utf-8\r\n\xc5\xbc\r\n");
    const QString iso = writeFile(m_dir->filePath("i.htm"), "charset=iso-8859-2\r\n\xbf\r\n");
    open({utf, iso});
    type("ł");
    m_form->findChild<QTabWidget*>("PC")->setCurrentIndex(0);
    type("ł");
    m_form->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(2);
    m_desktop.answers.enqueue(Answer::Yes);
    m_desktop.answers.enqueue(Answer::Yes);
    action("mnuZamykaAll")->trigger();
    QCOMPARE(m_form->pageCount(), 0);
    QCOMPARE(readFile(utf), QByteArray("charset=utf-8\r\n\xc5\xbc\xc5\x82\r\n"));
    QCOMPARE(readFile(iso), QByteArray("charset=iso-8859-2\r\n\xbf\xb3\r\n"));
}

void TestSaving::failedSaveKeepsEverything_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("read-only file") << "readonly";
    QTest::newRow("folder deleted") << "gone/page.htm";
    QTest::newRow("under /proc") << "/proc/version";
}

void TestSaving::failedSaveKeepsEverything()
{
    QFETCH(QString, target);
    const QString original = writeFile(m_dir->filePath("readonly"), "old\r\n");
    QFile::setPermissions(original, QFile::ReadOwner);
    // The superuser writes read-only files: for it the file is made immutable instead.
    if (geteuid() == 0 && !setImmutable(original, true))
        QSKIP("This file system cannot make a file immutable, and root writes read-only files.");
    const auto mutableAgain = qScopeGuard([&] { setImmutable(original, false); });
    const QString path = target.startsWith('/') ? target : m_dir->filePath(target);
    open({original});
    type("new");
    m_desktop.saveChoices.enqueue(path);
    action("mnuZapisJako")->trigger();
    QCOMPARE(m_desktop.errors.size(), 1);
    QVERIFY2(m_desktop.errors[0].startsWith("Cannot create file " + path),
             qPrintable(m_desktop.errors[0]));
    QCOMPARE(readFile(original), QByteArray("old\r\n"));
    QVERIFY(m_form->ActiveEditor()->isDocumentModified());
    QCOMPARE(m_form->activePage()->caption(), QStringLiteral("readonly"));
    QCOMPARE(m_form->ActiveEditor()->documentPath(), original);

    // Closing with Yes and a failing save keeps the document open: the save goes through the
    // dialog to the same target, or into the read-only file itself.
    m_desktop.answers.enqueue(Answer::Yes);
    m_desktop.saveChoices.enqueue(path);
    if (path != original) {
        setImmutable(original, false);
        QFile::remove(original);
    }
    action("mnuZamknij")->trigger();
    QCOMPARE(m_form->pageCount(), 1);
}

void TestSaving::deletedFileIsSavedThroughTheDialog()
{
    const QString path = writeFile(m_dir->filePath("d.htm"), "d\r\n");
    open({path});
    QFile::remove(path);
    type("e");
    m_desktop.saveChoices.enqueue(std::nullopt);
    action("mnuZapis")->trigger();
    QCOMPARE(m_desktop.saveRequests.size(), 1);
    QVERIFY(!QFile::exists(path));
    // Given a name, it is saved there.
    m_desktop.saveChoices.enqueue(path);
    action("mnuZapis")->trigger();
    QCOMPARE(m_desktop.saveRequests.size(), 2);
    QCOMPARE(readFile(path), QByteArray("de\r\n"));
    QVERIFY(!m_form->ActiveEditor()->isDocumentModified());
}

void TestSaving::reopenAsksFirstAndRereads()
{
    const QByteArray cp1250("charset=utf-8\r\n\xbf\xf3\xb3w\r\n"); // windows-1250 that says utf-8
    const QString path = writeFile(m_dir->filePath("r.htm"), cp1250);
    open({path});
    type("x");
    m_desktop.answers.enqueue(Answer::No);
    action("SubmnuWin")->trigger();
    QVERIFY(m_form->ActiveEditor()->isDocumentModified());
    QVERIFY(action("SUBmnuUTF8")->isChecked());

    m_desktop.answers.enqueue(Answer::Yes);
    action("SubmnuWin")->trigger();
    QCOMPARE(m_form->ActiveEditor()->text(), QStringLiteral("charset=utf-8\nżółw"));
    QCOMPARE(m_form->panelText(2), QStringLiteral("CP-1250"));
    QCOMPARE(m_form->selectedEncodingIndex(), 2);
    QVERIFY(action("SubmnuWin")->isChecked());
    QVERIFY(!m_form->ActiveEditor()->isDocumentModified());
}

void TestSaving::reopenOfAnUnreadableFileChangesNothing()
{
    const QString path = writeFile(m_dir->filePath("g.htm"), "charset=utf-8\r\nżółw\r\n");
    open({path});
    QFile::remove(path);
    action("SubmnuISO")->trigger();
    QCOMPARE(m_desktop.errors.size(), 1);
    QCOMPARE(m_form->ActiveEditor()->text(), QStringLiteral("charset=utf-8\nżółw"));
    QCOMPARE(m_form->activePage()->encodingName(), QStringLiteral("UTF-8"));
    QCOMPARE(m_form->panelText(2), QStringLiteral("UTF-8"));
    QVERIFY(action("SUBmnuUTF8")->isChecked());
}

void TestSaving::closingTheWindowStopsAtCancel()
{
    action("mnuNowy1")->trigger();
    type("a");
    m_desktop.answers.enqueue(Answer::Cancel);
    QVERIFY(!m_form->close());
    QCOMPARE(m_form->pageCount(), 1);
    QVERIFY(!QFile::exists(m_form->settingsFilePath()));
    m_desktop.answers.enqueue(Answer::No);
    QVERIFY(m_form->close());
    QVERIFY(QFile::exists(m_form->settingsFilePath()));
}

void TestSaving::newDocumentKeepsTheEncodingItWasFirstWrittenIn()
{
    const QString utf = writeFile(m_dir->filePath("u.htm"), "charset=utf-8\r\n");
    open({utf});
    action("mnuNowy1")->trigger();
    type("Привет → żółw");
    const QString path = m_dir->filePath("nowy.txt");
    m_desktop.saveChoices.enqueue(path);
    action("mnuZapis")->trigger();
    const QByteArray utf8("Привет → żółw\r\n");
    QCOMPARE(readFile(path), utf8);
    QCOMPARE(m_form->activePage()->encodingName(), QStringLiteral("UTF-8"));

    // Going to the other page and back, then saving again, writes the same encoding.
    auto* tabs = m_form->findChild<QTabWidget*>("PC");
    tabs->tabBar()->setCurrentIndex(0);
    tabs->tabBar()->setCurrentIndex(1);
    type("!");
    action("mnuZapis")->trigger();
    QCOMPARE(readFile(path), QByteArray("Привет → żółw!\r\n"));
}

void TestSaving::saveFollowsTheDeclarationFoundAfterOpen()
{
    const QString path = writeFile(m_dir->filePath("d.htm"), "<meta charset=\"utf-8\">\r\nż\r\n");
    open({path});
    TSynMemo* editor = m_form->ActiveEditor();
    editor->setText(QStringLiteral("<meta charset=\"iso-8859-2\">\nż"));
    m_desktop.openChoices.enqueue(std::nullopt); // a cancelled dialog still runs the detection
    action("mnuOpen")->trigger();
    QCOMPARE(m_form->panelText(2), QStringLiteral("ISO-8859-2"));
    action("mnuZapis")->trigger();
    QCOMPARE(readFile(path), QByteArray("<meta charset=\"iso-8859-2\">\r\n\xbf\r\n"));
}

void TestSaving::savingTwiceWritesTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("pageBefore");
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QString>("typed");

    // Empty `pageBefore`: no page open before; empty `fileBytes`: a new document, saved first
    // through the dialog. Between the saves another page opens and the user comes back.
    QTest::newRow("new, nothing chosen") << QByteArray() << QByteArray() << "x ± 5 ż";
    QTest::newRow("new, after an ISO page")
        << QByteArray("charset=iso-8859-2\r\n") << QByteArray() << "x ± 5 ż";
    QTest::newRow("new, after a UTF-8 page")
        << QByteArray("charset=utf-8\r\n") << QByteArray() << "x → ż";
    QTest::newRow("undeclared, LF") << QByteArray() << QByteArray("a\nb\n") << "x ± 5 ż";
    QTest::newRow("iso") << QByteArray() << QByteArray("charset=iso-8859-2\r\n\xb1\r\n") << "x ż";
}

void TestSaving::savingTwiceWritesTheSameBytes()
{
    // Saved twice with page switches between and no edit, a document's file stays the same.
    QFETCH(QByteArray, pageBefore);
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, typed);
    if (!pageBefore.isEmpty())
        open({writeFile(m_dir->filePath("before.htm"), pageBefore)});
    const QString path = m_dir->filePath("doc.htm");
    if (fileBytes.isEmpty()) {
        action("mnuNowy1")->trigger();
        m_desktop.saveChoices.enqueue(path);
    } else {
        open({writeFile(path, fileBytes)});
    }
    type(typed);
    // Letters the encoding cannot hold are written as the conversion writes them.
    for (int save = 0; save < 3; ++save)
        m_desktop.answers.enqueue(Answer::No);
    action("mnuZapis")->trigger();
    const QByteArray first = readFile(path);
    QVERIFY(first.contains("x "));
    auto* tabs = m_form->findChild<QTabWidget*>("PC");
    const int index = tabs->currentIndex();
    action("mnuZapis")->trigger();
    QCOMPARE(readFile(path), first);
    open({writeFile(m_dir->filePath("after.htm"), "charset=utf-8\r\n")});
    tabs->tabBar()->setCurrentIndex(index);
    action("mnuZapis")->trigger();
    QCOMPARE(readFile(path), first);
}

void TestSaving::saveAsOntoAnotherPagesFileIsRefused()
{
    const QString a = writeFile(m_dir->filePath("a.htm"), "a\r\n");
    const QString b = writeFile(m_dir->filePath("b.htm"), "b\r\n");
    open({a, b});
    m_desktop.saveChoices.enqueue(a);
    action("mnuZapisJako")->trigger();
    QCOMPARE(m_desktop.errors.size(), 1);
    QVERIFY(m_desktop.errors[0].startsWith("Plik " + a + " jest już otwarty w zakładce \"a.htm\""));
    QCOMPARE(readFile(a), QByteArray("a\r\n"));
    QCOMPARE(m_form->ActiveEditor()->documentPath(), b);
}

void TestSaving::saveAsksBeforeOverwritingAnotherProgramsChange_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("save, yes") << QByteArray("mnuZapis") << Answer::Yes << QByteArray("mine!\r\n");
    QTest::newRow("save, no") << QByteArray("mnuZapis") << Answer::No
                              << QByteArray("theirs, longer\r\n");
    QTest::newRow("close all, yes")
        << QByteArray("mnuZamykaAll") << Answer::Yes << QByteArray("mine!\r\n");
    QTest::newRow("close all, no")
        << QByteArray("mnuZamykaAll") << Answer::No << QByteArray("theirs, longer\r\n");
}

void TestSaving::saveAsksBeforeOverwritingAnotherProgramsChange()
{
    QFETCH(QByteArray, command);
    QFETCH(Answer, answer);
    QFETCH(QByteArray, onDisk);
    const bool closing = command == "mnuZamykaAll";
    const QString path = writeFile(m_dir->filePath("a.htm"), "mine\r\n");
    open({path});
    writeFile(path, "theirs, longer\r\n");
    type("!");
    if (closing)
        m_desktop.answers.enqueue(Answer::Yes); // save the changes first
    m_desktop.answers.enqueue(answer);
    action(command.constData())->trigger();
    QCOMPARE(m_desktop.questions.size(), closing ? 2 : 1);
    QVERIFY(m_desktop.questions.last().startsWith("Plik " + path + " został zmieniony"));
    QCOMPARE(readFile(path), onDisk);
    if (closing) {
        // Kept open when the user would rather keep the other program's file.
        QCOMPARE(m_form->pageCount(), answer == Answer::Yes ? 0 : 1);
        return;
    }
    // The program's own save is not taken for another program's change.
    m_desktop.answers.clear();
    action("mnuZapis")->trigger();
    QCOMPARE(m_desktop.questions.size(), answer == Answer::Yes ? 1 : 2);
}

QTEST_MAIN(TestSaving)
#include "tst_saving.moc"

void TestSaving::malformedUtf8IsAnnouncedAndKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QByteArray>("saved");

    const QByteArray fffd("\xEF\xBF\xBD");
    QTest::newRow("declared; the ( after C3 stays")
        << QByteArray("<meta charset=\"utf-8\">\r\n\xFF\xFE\xC3\x28\xE2\x82\r\n")
        << "4 ciągi bajtów, które nie są poprawnym tekstem UTF-8 (pierwszy: wiersz 2, kolumna 1)"
        << "<meta charset=\"utf-8\">\r\n" + fffd + fffd + fffd + "(" + fffd + "\r\n";
    QTest::newRow("after Polish letters")
        << QByteArray("charset=utf-8\r\nżółw \xC5\r\n")
        << "1 ciąg bajtów, który nie jest poprawnym tekstem UTF-8 (pierwszy: wiersz 2, kolumna 6)"
        << "charset=utf-8\r\nżółw " + fffd + "\r\n";
    QTest::newRow("five stray bytes")
        << QByteArray("charset=utf-8\r\n\r\nab\x80\x80\x80\x80\x80")
        << "5 ciągów bajtów, które nie są poprawnym tekstem UTF-8 (pierwszy: wiersz 3, kolumna 3)"
        << "charset=utf-8\r\n\r\nab" + fffd.repeated(5) + "\r\n";
    // Large enough to be read again in pieces, the fault in a later piece.
    const QByteArray lines = QByteArray("<p>Zażółć gęślą jaźń.</p>\r\n").repeated(400'000);
    QTest::newRow("large file")
        << "charset=utf-8\r\n" + lines + "ab\xC3(\r\n"
        << "1 ciąg bajtów, który nie jest poprawnym tekstem UTF-8 (pierwszy: wiersz 400002, "
           "kolumna 3)"
        << "charset=utf-8\r\n" + lines + "ab" + fffd + "(\r\n";
    QTest::newRow("valid") << QByteArray("charset=utf-8\r\nżółw\r\n") << QString()
                           << QByteArray("charset=utf-8\r\nżółw\r\n");
}

void TestSaving::malformedUtf8IsAnnouncedAndKept()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, found);
    QFETCH(QByteArray, saved);
    const QString path = writeFile(m_dir->filePath("page.htm"), bytes);
    open({path});
    QCOMPARE(m_form->activePage()->encodingName(), QStringLiteral("UTF-8"));
    if (found.isEmpty()) {
        QVERIFY(m_desktop.messages.isEmpty());
    } else {
        QCOMPARE(m_desktop.messages,
                 QStringList("Plik " + path + " zawiera " + found +
                             ". Edytor pokazuje każdy z nich jako znak „\uFFFD”; zapisanie pliku "
                             "zastąpi je tym znakiem.\rJeśli plik zapisano w innym kodowaniu, "
                             "wczytaj go ponownie: Plik → Otwórz ponownie jako ... → ISO-8859-2 "
                             "lub CP-1250."));
    }
    action("mnuZapis")->trigger();
    QVERIFY(m_desktop.errors.isEmpty());
    QCOMPARE(readFile(path), saved);
}

void TestSaving::filesTheEditorCannotHoldAreRefused_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reason");

    // Thousands are set apart as Polish sets them, with no-break spaces.
    const QString tooLarge =
        u"Plik jest za duży dla edytora: 2\u00A0147\u00A0550\u00A0000 B (najwięcej 2\u00A0130\u00A0706\u00A0431 B)."_qs;
    QTest::newRow("open, just over 2 GiB") << qint64(2'147'550'000) << QString() << tooLarge;
    QTest::newRow("reopen, just over 2 GiB")
        << qint64(2'147'550'000) << u"SubmnuISO"_qs << tooLarge;
    // NUL bytes are line breaks: each of these is a line.
    QTest::newRow("open, 1.5 GiB of NUL bytes")
        << qint64(1'610'612'736) << QString()
        << u"Plik ma za dużo wierszy dla edytora (najwięcej 134\u00A0217\u00A0728)."_qs;
}

void TestSaving::filesTheEditorCannotHoldAreRefused()
{
    QFETCH(qint64, size);
    QFETCH(QString, command);
    QFETCH(QString, reason);
    const QString path = writeFile(m_dir->filePath("big.txt"), "charset=utf-8\r\nżółw\r\n");
    if (!command.isEmpty())
        open({path});
    const int pages = m_form->pageCount();
    // Sparse: no disk and no time to write.
    QFile file(path);
    QVERIFY(file.resize(size));

    QElapsedTimer timer;
    timer.start();
    if (command.isEmpty())
        m_desktop.openChoices.enqueue(path);
    action(command.isEmpty() ? "mnuOpen" : command.toUtf8().constData())->trigger();
    qInfo() << "refused in" << timer.elapsed() << "ms";
    // Well within a second on its own; room is left for a loaded machine and the sanitizers.
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(m_desktop.errors, QStringList("Cannot open file " + path + "\n" + reason));
    QCOMPARE(m_form->pageCount(), pages);
    if (!command.isEmpty()) {
        QCOMPARE(m_form->ActiveEditor()->textBytes(), QByteArray("charset=utf-8\nżółw"));
        QCOMPARE(m_form->activePage()->encodingName(), QStringLiteral("UTF-8"));
    }
}
