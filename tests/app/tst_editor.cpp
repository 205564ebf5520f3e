#include "app/Highlighters.h"
#include "app/TSynMemo.h"
#include "encoding/DocumentCodec.h"
#include "encoding/EncodingNames.h"
#include "support/TestFiles.h"

#include <QFontDatabase>
#include <QTest>

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    void loadFileShowsTheDecodedText_data();
    void loadFileShowsTheDecodedText();
    void undoSelectionsAreBounded();
    void backgroundColouringMatchesColouringAtOnce_data();
    void backgroundColouringMatchesColouringAtOnce();
};

void TestEditor::loadFileShowsTheDecodedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<LineBreak>("lineBreak");

    QTest::newRow("empty") << QByteArray() << int(EncodingUtf8) << LineBreak::CrLf;
    QTest::newRow("utf-8, lf") << QByteArray("za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87\n\n")
                               << int(EncodingUtf8) << LineBreak::Lf;
    QTest::newRow("iso-8859-2, cr")
        << bytesOf("\xb1\xb6\xbc\r\0x") << int(EncodingIso88592) << LineBreak::Cr;
    // Pieces of several megabytes, the first all ASCII and the rest growing in decoding, so
    // that the room made from the first piece falls short; the file's memory is handed back
    // behind the decoding.
    QByteArray large(5 << 20, 'a');
    for (int i = 0; i < 200000; ++i)
        large += "\xea\x9c\xb3\xe6 <p>\x8c\x9f\xbf</p>\r\n";
    QTest::newRow("large cp-1250") << large << int(EncodingCp1250) << LineBreak::CrLf;
}

void TestEditor::loadFileShowsTheDecodedText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(LineBreak, lineBreak);
    TSynMemo editor;
    editor.loadFile("old text", EncodingUtf8);
    editor.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 1L, "x");
    editor.loadFile(QByteArray(bytes.constData(), bytes.size()), encoding);
    QVERIFY(editor.textBytes() == decodeDocument(bytes, encoding));
    QCOMPARE(editor.lineBreak(), lineBreak);
    QVERIFY(!editor.isDocumentModified());
    QVERIFY(!editor.isUndoAvailable());
    QCOMPARE(editor.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 0L);
}

void TestEditor::undoSelectionsAreBounded()
{
    TSynMemo editor;
    editor.loadFile("abcdef", EncodingUtf8);
    for (int i = 0; i <= TSynMemo::MaxUndoSelections; ++i) {
        editor.selectPositions(1, 3);
        editor.wrapSelection("<b>", "</b>");
    }
    QCOMPARE(editor.undoSelectionCount(), qsizetype(TSynMemo::MaxUndoSelections));
    // The latest wraps keep theirs.
    editor.undo();
    QTRY_COMPARE(editor.selectionStartPosition(), 1);
    QCOMPARE(editor.selectionEndPosition(), 3);
    editor.loadFile("x", EncodingUtf8);
    QCOMPARE(editor.undoSelectionCount(), 0);
}

void TestEditor::backgroundColouringMatchesColouringAtOnce_data()
{
    QTest::addColumn<QByteArray>("edit");
    QTest::addColumn<bool>("atTheTop");

    QTest::newRow("no edit") << QByteArray() << false;
    QTest::newRow("typing at the end") << QByteArray("<b>x") << false;
    QTest::newRow("a comment opened at the top") << QByteArray("<!-- ") << true;
}

void TestEditor::backgroundColouringMatchesColouringAtOnce()
{
    QFETCH(QByteArray, edit);
    QFETCH(bool, atTheTop);
    QByteArray page = "<html><body>\r\n";
    for (int i = 0; i < 40000; ++i)
        page += "<p class=\"a\">Zażółć <b>gęślą</b> jaźń</p> <!-- x -->\r\n";
    Highlighters highlighters(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    TSynMemo editor;
    editor.setLexer(highlighters.lexer(Language::Html));
    editor.resize(600, 400);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.loadFile(page, EncodingUtf8);
    editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTRY_VERIFY(editor.isColouringBehind());
    if (!edit.isEmpty()) {
        const long at = atTheTop ? 0 : editor.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        editor.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, at, edit.constData());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!editor.isColouringBehind(), 60000);

    TSynMemo reference;
    reference.setLexer(highlighters.lexer(Language::Html));
    reference.loadFile(editor.textBytes().toByteArray(), EncodingUtf8);
    reference.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
    const long length = editor.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    for (long i = 0; i < length; ++i) {
        const long style = editor.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, i);
        if (style != reference.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, i))
            QFAIL(qPrintable(QStringLiteral("style differs at %1").arg(i)));
    }
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
