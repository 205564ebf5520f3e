// Converting documents with the encoding change dialog, driven through the main window, and the
// question about characters an encoding cannot hold on every write.
#include "app/TForm1.h"
#include "document/DocumentPage.h"
#include "support/ComponentAccess.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray MetaUtf8 = R"(<meta http-equiv=content-type content="text/html; charset=utf-8" >)";
const QByteArray MetaIso =
    R"(<meta http-equiv=content-type content="text/html; charset=iso-8859-2" >)";
const QByteArray MetaCp =
    R"(<meta http-equiv=content-type content="text/html; charset=windows-1250" >)";
constexpr int FreeText = -1;

} // namespace

class TestEncodingChange : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void change_data();
    void change();
    void unrepresentable_data();
    void unrepresentable();
    void cancelKeepsTheEncoding_data();
    void cancelKeepsTheEncoding();
    void failedWriteTakesTheChangeBack_data();
    void failedWriteTakesTheChangeBack();
    void modelessActsOnTheActivePage();
    void anotherProgramsChangeIsAskedAbout();

private:
    void open(const QString& path) { m_form->OpenFileInPage(QFileInfo(path).fileName(), path); }
    QDialog* showDialog(const char* command = "ToolButton27");
    void pickTarget(int downs);
    void typeAtEnd(const QString& text);
    template <typename T> T* control(const char* name) { return m_dialog->findChild<T*>(name); }
    QAction* action(const char* name) { return m_form->findChild<QAction*>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedDesktop m_desktop;
    std::unique_ptr<TForm1> m_form;
    QDialog* m_dialog = nullptr;
};

void TestEncodingChange::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_desktop = ScriptedDesktop();
    m_form = std::make_unique<TForm1>(m_desktop, QStringList{}, m_dir->filePath("Tagomir.dat"));
    m_form->show();
}

void TestEncodingChange::cleanup()
{
    for (int i = 0; i < m_form->pageCount(); ++i)
        m_form->page(i)->editor()->markSaved();
    m_form.reset();
}

QDialog* TestEncodingChange::showDialog(const char* command)
{
    action(command)->trigger();
    m_dialog = m_form->findChild<QDialog*>("FPrzekoduj");
    return m_dialog;
}

// Down arrow in the target list, as the user picks an entry; FreeText types a name instead.
void TestEncodingChange::pickTarget(int downs)
{
    auto* list = control<QComboBox>("ComboBox2");
    list->setFocus();
    if (downs == FreeText) {
        list->lineEdit()->selectAll();
        QTest::keyClicks(list->lineEdit(), "UTF-16");
    }
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(list, Qt::Key_Down);
}

void TestEncodingChange::typeAtEnd(const QString& text)
{
    TSynMemo* editor = m_form->ActiveEditor();
    component(editor)->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    typeText(editor->widget(), text);
}

void TestEncodingChange::change_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("downs");
    QTest::addColumn<int>("box"); // -1 as shown, else set by the user
    QTest::addColumn<bool>("shownChecked");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("name");

    const QByteArray iso = "<html>\r\n<head>\r\n" + MetaIso + "\r\n</head>\r\n\xb1\xbf\r\n";
    QTest::newRow("OK alone converts to UTF-8")
        << iso << 0 << -1 << true
        << "<html>\r\n<head>\r\n" + MetaUtf8 + "\r\n</head>\r\n\xc4\x85\xc5\xbc\r\n"
        << "UTF-8";
    QTest::newRow("box unchecked: declaration kept, name follows the file")
        << iso << 0 << 0 << true
        << "<html>\r\n<head>\r\n" + MetaIso + "\r\n</head>\r\n\xc4\x85\xc5\xbc\r\n"
        << "UTF-8";
    QTest::newRow("free text writes nothing")
        << iso << FreeText << -1 << true << iso << "ISO-8859-2";
    QTest::newRow("own meta line at 5")
        << "0\r\n1\r\n2\r\n3\r\n4\r\n" + MetaUtf8 + "\r\nżółw\r\n"
        << 2 << -1 << true << "0\r\n1\r\n2\r\n3\r\n4\r\n" + MetaCp + "\r\n\xbf\xf3\xb3w\r\n"
        << "CP-1250";
    QTest::newRow("html5 declaration on line 0 in a one-line head")
        << QByteArray("<head><meta charset=\"utf-8\"><title>Żółw</title></head>\r\nx\r\n") << 1
        << -1 << true
        << QByteArray("<head><meta charset=\"iso-8859-2\"><title>\xaf\xf3\xb3w</title></head>\r\n"
                      "x\r\n")
        << "ISO-8859-2";
    QTest::newRow("Nieznany, other encoding at 4")
        << QByteArray("0\r\n1\r\n2\r\n3\r\n<meta charset=koi8-r>\r\n\xb9\r\n") << 2 << -1 << true
        << QByteArray("0\r\n1\r\n2\r\n3\r\n<meta charset=windows-1250>\r\n\xb9\r\n") << "CP-1250";
    QTest::newRow("style sheet") << QByteArray("@charset \"windows-1250\";\r\n/* \xb9 */\r\n") << 0
                                 << -1 << true
                                 << QByteArray("@charset \"utf-8\";\r\n/* \xc4\x85 */\r\n")
                                 << "UTF-8";
    // The found line as above, then every other declaration the page's kind carries; a meta in
    // a comment is no declaration.
    QTest::newRow("every declaration")
        << "<?xml version=\"1.0\" encoding=\"iso-8859-2\"?>\r\n<html><head>\r\n" + MetaIso +
               "\r\n<script src=a.js charset=\"ISO-8859-2\"></script>\r\n</head>\r\n"
               "<!-- <meta charset=iso-8859-2> -->\xb1\r\n"
        << 0 << -1 << true
        << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<html><head>\r\n" + MetaUtf8 +
               "\r\n<script src=a.js charset=\"utf-8\"></script>\r\n</head>\r\n"
               "<!-- <meta charset=iso-8859-2> -->\xc4\x85\r\n"
        << "UTF-8";
    // A byte-order mark is a signature: dropped, never a character ISO-8859-2 lacks.
    QTest::newRow("BOM dropped") << QByteArray("\xef\xbb\xbf<p>\xc5\xbc</p>\r\n") << 1 << -1
                                 << false << QByteArray("<p>\xbf</p>\r\n") << "ISO-8859-2";
    const QByteArray undeclared = "a\r\nb\r\nc\r\nd\r\nżó\r\n";
    QTest::newRow("undeclared, box left unchecked")
        << undeclared << 1 << -1 << false << QByteArray("a\r\nb\r\nc\r\nd\r\n\xbf\xf3\r\n")
        << "ISO-8859-2";
    QTest::newRow("undeclared, box checked: fourth line")
        << undeclared << 1 << 1 << false << "a\r\nb\r\nc\r\n" + MetaIso + "\r\nd\r\n\xbf\xf3\r\n"
        << "ISO-8859-2";
}

void TestEncodingChange::change()
{
    QFETCH(QByteArray, file);
    QFETCH(int, downs);
    QFETCH(int, box);
    QFETCH(bool, shownChecked);
    QFETCH(QByteArray, written);
    QFETCH(QString, name);
    const QString path = writeFile(m_dir->filePath("page.htm"), file);
    open(path);
    showDialog("mnuKodowanie");
    QVERIFY(m_dialog->isVisible());
    auto* check = control<QCheckBox>("CheckZmiane_Charsetu");
    QCOMPARE(check->isChecked(), shownChecked);
    QCOMPARE(control<QComboBox>("ComboBox1")->currentText(), m_form->activePage()->encodingName());
    if (box >= 0 && check->isChecked() != bool(box))
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    pickTarget(downs);
    QTest::mouseClick(control<QPushButton>("btnOK"), Qt::LeftButton);

    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_desktop.errors, QStringList());
    QCOMPARE(readFile(path), written);
    QCOMPARE(m_form->activePage()->encodingName(), name);
    QCOMPARE(m_form->panelText(2), name);
    QCOMPARE(m_form->selectedEncodingIndex(), name == "CP-1250" ? 2 : name == "UTF-8" ? 0 : 1);
    // What was written reads back, in the encoding it was written in, as the text the editor
    // holds, and is written again byte for byte.
    const QString reopen = name == "UTF-8"     ? "SUBmnuUTF8"
                           : name == "CP-1250" ? "SubmnuWin"
                                               : "SubmnuISO";
    const QByteArray text = m_form->ActiveEditor()->textBytes().toByteArray();
    m_form->ActiveEditor()->markSaved();
    action(reopen.toLatin1())->trigger();
    QCOMPARE(m_form->ActiveEditor()->textBytes().toByteArray(), text);
    action("mnuZapis")->trigger();
    QCOMPARE(readFile(path), written);
}

void TestEncodingChange::unrepresentable_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("written");

    const QByteArray before = "charset=iso-8859-2\r\n\xb1\r\n";
    const std::pair<Answer, QByteArray> answers[] = {
        {Answer::Yes, "charset=iso-8859-2\r\n\xb1&#8211;\r\n"},
        {Answer::No, "charset=iso-8859-2\r\n\xb1-\r\n"},
        {Answer::Cancel, before}};
    for (const QString& operation : {u"save"_qs, u"close all"_qs, u"conversion"_qs})
        for (const auto& [answer, written] : answers)
            QTest::addRow("%s, answer %d", qPrintable(operation), int(answer))
                << operation << int(answer) << written;
}

void TestEncodingChange::unrepresentable()
{
    QFETCH(QString, operation);
    QFETCH(int, answer);
    QFETCH(QByteArray, written);
    const QString path = writeFile(m_dir->filePath("a.htm"), "charset=iso-8859-2\r\n\xb1\r\n");
    open(path);
    typeAtEnd("–");
    if (operation == "close all")
        m_desktop.answers.enqueue(Answer::Yes);
    m_desktop.answers.enqueue(Answer(answer));
    if (operation == "conversion") {
        showDialog();
        pickTarget(1);
        QTest::mouseClick(control<QPushButton>("btnOK"), Qt::LeftButton);
        QCOMPARE(m_dialog->isVisible(), answer == int(Answer::Cancel));
    } else {
        action(operation == "save" ? "mnuZapis" : "mnuZamykaAll")->trigger();
    }
    QCOMPARE(readFile(path), written);
    QCOMPARE(m_desktop.questions.size(), operation == "close all" ? 2 : 1);
    QVERIFY(m_desktop.questions.constLast().contains("    2:2  „–” (U+2013)"));
    const bool kept = answer == int(Answer::Cancel) || operation != "close all";
    QCOMPARE(m_form->pageCount(), kept ? 1 : 0);
    if (answer == int(Answer::Cancel))
        QCOMPARE(m_form->ActiveEditor()->textBytes().toByteArray(),
                 QByteArray("charset=iso-8859-2\ną–"));
}

void TestEncodingChange::cancelKeepsTheEncoding_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Anuluj") << "btnAnuluj";
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("close box") << "close";
}

void TestEncodingChange::cancelKeepsTheEncoding()
{
    QFETCH(QString, how);
    const QString path = writeFile(m_dir->filePath("u.htm"), "charset=utf-8\r\nż\r\n");
    open(path);
    showDialog();
    pickTarget(1);
    QCOMPARE(m_form->selectedEncodingIndex(), 1); // a pick takes effect at once
    if (how == "Esc")
        QTest::keyClick(control<QComboBox>("ComboBox2"), Qt::Key_Escape);
    else if (how == "close")
        m_dialog->close();
    else
        QTest::mouseClick(control<QPushButton>("btnAnuluj"), Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    typeAtEnd("x");
    action("mnuZapis")->trigger();
    QCOMPARE(readFile(path), QByteArray("charset=utf-8\r\n\xc5\xbcx\r\n"));
}

void TestEncodingChange::failedWriteTakesTheChangeBack_data()
{
    QTest::addColumn<bool>("neverSaved");
    QTest::newRow("folder deleted") << false;
    QTest::newRow("never saved") << true;
}

void TestEncodingChange::failedWriteTakesTheChangeBack()
{
    QFETCH(bool, neverSaved);
    QString path;
    if (neverSaved) {
        action("mnuNowy1")->trigger();
    } else {
        QDir(m_dir->path()).mkdir("site");
        path = writeFile(m_dir->filePath("site/p.htm"), "a\r\nb\r\nc\r\nd\r\n");
        open(path);
        QDir(m_dir->filePath("site")).removeRecursively();
    }
    typeAtEnd("ż");
    const QByteArray text = m_form->ActiveEditor()->textBytes().toByteArray();
    const QString name = m_form->activePage()->encodingName();
    showDialog();
    QTest::mouseClick(control<QCheckBox>("CheckZmiane_Charsetu"), Qt::LeftButton, {}, QPoint(5, 8));
    pickTarget(1);
    QTest::mouseClick(control<QPushButton>("btnOK"), Qt::LeftButton);

    QCOMPARE(m_desktop.errors.size(), 1);
    QVERIFY(m_desktop.errors[0].startsWith("Cannot create file " + path + "\n"));
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_form->ActiveEditor()->textBytes().toByteArray(), text);
    QVERIFY(m_form->ActiveEditor()->isDocumentModified());
    QCOMPARE(m_form->activePage()->encodingName(), name);
    m_form->ActiveEditor()->undo(); // the typing is the last step to undo
    QCOMPARE(m_form->ActiveEditor()->textBytes().toByteArray(), text.chopped(2));
}

void TestEncodingChange::anotherProgramsChangeIsAskedAbout()
{
    const QString path = writeFile(m_dir->filePath("p.htm"), "charset=utf-8\r\n\xc5\xbc\r\n");
    open(path);
    writeFile(path, "inny program\r\n");
    showDialog();
    pickTarget(1);
    m_desktop.answers.enqueue(Answer::No);
    QTest::mouseClick(control<QPushButton>("btnOK"), Qt::LeftButton);
    QCOMPARE(m_desktop.questions.size(), 1);
    QVERIFY(m_desktop.questions[0].startsWith("Plik " + path + " został zmieniony"));
    QCOMPARE(readFile(path), QByteArray("inny program\r\n"));
    QCOMPARE(m_form->activePage()->encodingName(), QStringLiteral("UTF-8"));
    QCOMPARE(m_form->ActiveEditor()->textBytes().toByteArray(),
             QByteArray("charset=utf-8\n\xc5\xbc"));
}

void TestEncodingChange::modelessActsOnTheActivePage()
{
    const QString a = writeFile(m_dir->filePath("a.htm"), "charset=utf-8\r\n");
    const QString b = writeFile(m_dir->filePath("b.htm"), "charset=iso-8859-2\r\n");
    open(a);
    open(b);
    m_form->findChild<QTabWidget*>("PC")->setCurrentIndex(0);
    showDialog();
    QCOMPARE(control<QComboBox>("ComboBox1")->currentText(), u"UTF-8"_qs);
    auto* check = control<QCheckBox>("CheckZmiane_Charsetu");
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, 8));
    // Giving the command again only brings the dialog to the front.
    showDialog("mnuKodowanie");
    QVERIFY(!check->isChecked());
    QCOMPARE(control<QComboBox>("ComboBox1")->currentText(), u"UTF-8"_qs);

    // OK acts on the page active when it is pressed, even when another page was shown first.
    m_form->findChild<QTabWidget*>("PC")->setCurrentIndex(1);
    pickTarget(2);
    QTest::mouseClick(control<QPushButton>("btnOK"), Qt::LeftButton);
    QCOMPARE(readFile(b), QByteArray("charset=iso-8859-2\r\n"));
    QCOMPARE(m_form->activePage()->encodingName(), u"CP-1250"_qs);

    // With no page left, OK does nothing.
    showDialog();
    action("mnuZamykaAll")->trigger();
    QTest::mouseClick(control<QPushButton>("btnOK"), Qt::LeftButton);
    QVERIFY(m_desktop.errors.isEmpty());
    QVERIFY(!m_dialog->isVisible());
    showDialog();
    QVERIFY(!m_dialog->isVisible()); // the command needs a document
}

QTEST_MAIN(TestEncodingChange)
#include "tst_encodingchange.moc"
