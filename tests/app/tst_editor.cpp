#include "document/Document.h"
#include "editor/Highlighters.h"
#include "editor/TSynMemo.h"
#include "encoding/DocumentCodec.h"
#include "encoding/Encoding.h"
#include "support/ComponentAccess.h"
#include "support/TestFiles.h"

#include <QFontDatabase>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    void loadFileShowsTheDecodedText_data();
    void loadFileShowsTheDecodedText();
    void readDocumentFindsTheFormat_data();
    void readDocumentFindsTheFormat();
    void undoSelectionsAreBounded();
    void largeBlocksKeepTheirContents();
    void undoAndRedoWalkBackAndForth();
    void aViewEditsTheDocumentItIsAttachedTo();
    void backgroundColouringMatchesColouringAtOnce_data();
    void backgroundColouringMatchesColouringAtOnce();
};

void TestEditor::loadFileShowsTheDecodedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("onDisk"); // the file when the editor opens it again
    QTest::addColumn<int>("encoding");
    QTest::addColumn<LineBreak>("lineBreak");

    QTest::newRow("empty") << QByteArray() << QByteArray() << int(EncodingUtf8) << LineBreak::CrLf;
    const QByteArray utf8 = "za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87\n\n";
    QTest::newRow("utf-8, lf") << utf8 << utf8 << int(EncodingUtf8) << LineBreak::Lf;
    QTest::newRow("iso-8859-2, cr") << bytesOf("\xb1\xb6\xbc\r\0x") << bytesOf("\xb1\xb6\xbc\r\0x")
                                    << int(EncodingIso88592) << LineBreak::Cr;
    // A file large enough to be read again in pieces: a first line longer than a piece, lines
    // growing in decoding, a lone CR, and a break at the very end.
    QByteArray large(5 << 20, 'a');
    large += "\r";
    for (int i = 0; i < 250'000; ++i)
        large += "\xea\x9c\xb3\xe6 <p>\x8c\x9f\xbf</p>\r\n";
    large += "\n";
    QTest::newRow("large cp-1250") << large << large << int(EncodingCp1250) << LineBreak::CrLf;
    const QByteArray changed = large + "ko\xf1"
                                       "cowy";
    // Grown meanwhile: the bytes read first are shown, not half of each.
    QTest::newRow("large, changed on disk meanwhile")
        << large << changed << int(EncodingCp1250) << LineBreak::CrLf;
}

void TestEditor::loadFileShowsTheDecodedText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, onDisk);
    QFETCH(int, encoding);
    QFETCH(LineBreak, lineBreak);
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath("page.htm"), onDisk);
    TSynMemo editor;
    editor.loadFile("old text", EncodingUtf8);
    component(editor).SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 1L, "x");
    editor.loadFile(QByteArray(bytes.constData(), bytes.size()), *Encoding::fromIndex(encoding),
                    path);
    QVERIFY(editor.textBytes() == decodeDocument(bytes, *Encoding::fromIndex(encoding)));
    QCOMPARE(editor.lineBreak(), lineBreak);
    QVERIFY(!editor.isDocumentModified());
    QVERIFY(!editor.isUndoAvailable());
    QCOMPARE(component(editor).SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 0L);
}

void TestEditor::readDocumentFindsTheFormat_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("asked"); // -1 for none
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<LineBreak>("lineBreak");
    QTest::addColumn<int>("charsetLine");
    QTest::addColumn<QByteArray>("shown");

    QTest::newRow("declared utf-8")
        << QByteArray("<p>\n<meta charset=utf-8>\n\xc5\xbc\n") << -1 << u"UTF-8"_qs << LineBreak::Lf
        << 1 << QByteArray("<p>\n<meta charset=utf-8>\n\xc5\xbc");
    QTest::newRow("declared iso, crlf")
        << QByteArray("CHARSET=ISO-8859-2\r\n\xb1\r\n") << -1 << u"ISO-8859-2"_qs << LineBreak::CrLf
        << 0 << QByteArray("CHARSET=ISO-8859-2\n\xc4\x85");
    QTest::newRow("undeclared utf-8, cr")
        << QByteArray("\xc5\xbc\r\xc3\xb3") << -1 << u"UTF-8"_qs << LineBreak::Cr << -1
        << QByteArray("\xc5\xbc\n\xc3\xb3");
    QTest::newRow("nieznany is read as cp-1250")
        << QByteArray("charset\n\xb9") << -1 << u"Nieznany"_qs << LineBreak::Lf << 0
        << QByteArray("charset\n\xc4\x85");
    QTest::newRow("asked for, nothing detected")
        << QByteArray("<meta charset=utf-8>\n\xb1") << int(EncodingIso88592) << u"ISO-8859-2"_qs
        << LineBreak::Lf << -1 << QByteArray("<meta charset=utf-8>\n\xc4\x85");
    // Files large enough not to be held whole when shown: declared at the start (read once,
    // its line breaks found as it is read), declared after the first piece, and UTF-8 spoilt
    // by one byte near the end (inspected in pieces first).
    const QByteArray declaredFirst =
        "<meta charset=iso-8859-2>\n" + QByteArray("\xb1\xb6 x\n").repeated(2'500'000);
    QTest::newRow("large, declared first")
        << declaredFirst << -1 << u"ISO-8859-2"_qs << LineBreak::Lf << 0
        << decodeDocument(declaredFirst, EncodingIso88592);
    const QByteArray declaredLate = QByteArray("<p>a</p>\n").repeated(900'000) +
                                    "<meta charset=windows-1250>\n" +
                                    QByteArray("\xb9\x9c x\n").repeated(400'000);
    QTest::newRow("large, declared after the first piece")
        << declaredLate << -1 << u"CP-1250"_qs << LineBreak::Lf << 900'000
        << decodeDocument(declaredLate, EncodingCp1250);
    QByteArray spoilt = QByteArray("\xc5\xbc\xc3\xb3\r\n").repeated(2'000'000) + "\xbf\r\n";
    QTest::newRow("large, utf-8 but one byte") << spoilt << -1 << u"Nieznany"_qs << LineBreak::CrLf
                                               << -1 << decodeDocument(spoilt, EncodingCp1250);
}

void TestEditor::readDocumentFindsTheFormat()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, asked);
    QFETCH(QString, encoding);
    QFETCH(LineBreak, lineBreak);
    QFETCH(int, charsetLine);
    QFETCH(QByteArray, shown);
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath("page.htm"), bytes);
    DocumentRead read = readDocument(path, Encoding::fromIndex(asked));
    QCOMPARE(read.bytes, bytes);
    QCOMPARE(read.encoding.name(), encoding);
    QCOMPARE(read.lineBreak, lineBreak);
    QCOMPARE(read.charsetLine.index, charsetLine);
    TSynMemo editor;
    editor.loadFile(read, path);
    QCOMPARE(editor.textBytes().toByteArray(), shown);
    QCOMPARE(editor.lineBreak(), lineBreak);

    // Read to be shown, a large file is not held whole but found the same.
    DocumentRead toShow = readDocumentToShow(path, Encoding::fromIndex(asked));
    QCOMPARE(toShow.bytes.isEmpty(), bytes.size() >= 8 << 20);
    QCOMPARE(toShow.encoding.name(), encoding);
    QCOMPARE(toShow.charsetLine.index, read.charsetLine.index);
    QCOMPARE(toShow.charsetLine.start, read.charsetLine.start);
    QCOMPARE(toShow.charsetLine.loweredText, read.charsetLine.loweredText);
    TSynMemo shownEditor;
    shownEditor.loadFile(toShow, path);
    QCOMPARE(shownEditor.textBytes().toByteArray(), shown);
    QCOMPARE(shownEditor.lineBreak(), lineBreak);
}

void TestEditor::undoAndRedoWalkBackAndForth()
{
    // The editor keeps no copy of inserted text until it is undone: each step back and forth
    // shows the text as it was after that step, typed letters, grouped edits and a
    // replacement alike.
    TSynMemo editor;
    editor.loadFile("<p>łąka</p>", EncodingUtf8);
    const auto send = [&](unsigned int message, unsigned long wParam = 0, const char* text = "") {
        component(editor).SendScintilla(message, wParam, text);
    };
    QList<QByteArray> texts{editor.textBytes().toByteArray()};
    const auto step = [&](const std::function<void()>& edit) {
        edit();
        texts << editor.textBytes().toByteArray();
    };
    send(QsciScintillaBase::SCI_GOTOPOS, 3);
    for (const char* letter : {"ż", "ó", "ł", "w"})
        step([&] { send(QsciScintillaBase::SCI_REPLACESEL, 0, letter); });
    step([&] {
        send(QsciScintillaBase::SCI_BEGINUNDOACTION);
        send(QsciScintillaBase::SCI_INSERTTEXT, 0, "<div>źdźbło");
        send(QsciScintillaBase::SCI_DELETERANGE, 6, reinterpret_cast<const char*>(3));
        send(QsciScintillaBase::SCI_ENDUNDOACTION);
    });
    step([&] {
        send(QsciScintillaBase::SCI_SETTARGETRANGE, 0, reinterpret_cast<const char*>(5));
        send(QsciScintillaBase::SCI_REPLACETARGET, std::size_t(-1), "<section>");
    });
    step([&] { send(QsciScintillaBase::SCI_DELETEBACK); });
    for (int i = texts.size() - 2; i >= 0; --i) {
        send(QsciScintillaBase::SCI_UNDO);
        QCOMPARE(editor.textBytes().toByteArray(), texts[i]);
    }
    for (int i = 1; i < texts.size(); ++i) {
        send(QsciScintillaBase::SCI_REDO);
        QCOMPARE(editor.textBytes().toByteArray(), texts[i]);
    }
}

void TestEditor::largeBlocksKeepTheirContents()
{
    // Blocks of every kind the program's allocation tells apart, alive together and freed out
    // of order, in each of the ways C++ frees them.
    const std::vector<std::size_t> sizes = {
        1, 100, (3 << 20) - 1, 3 << 20, (4 << 20) + 1, (2 << 20) * 5, 9 << 20};
    std::vector<std::unique_ptr<char[]>> arrays;
    std::vector<std::vector<std::uint32_t>> vectors;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        arrays.emplace_back(new char[sizes[i]]);
        std::memset(arrays.back().get(), int('a' + i), sizes[i]);
        vectors.emplace_back(sizes[i] / 4 + 1, std::uint32_t(i));
    }
    for (std::size_t i = 0; i < sizes.size(); i += 2) {
        arrays[i].reset();
        vectors[i] = {};
    }
    auto* spare = new (std::nothrow) char[8 << 20];
    QVERIFY(spare);
    spare[(8 << 20) - 1] = 'x';
    for (std::size_t i = 1; i < sizes.size(); i += 2) {
        const char* block = arrays[i].get();
        QVERIFY(std::all_of(block, block + sizes[i], [&](char c) { return c == char('a' + i); }));
        QVERIFY(std::all_of(vectors[i].begin(), vectors[i].end(),
                            [&](std::uint32_t v) { return v == i; }));
    }
    delete[] spare;
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
    QVERIFY(QTest::qWaitForWindowExposed(editor.widget()));
    editor.loadFile(page, EncodingUtf8);
    component(editor).SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTRY_VERIFY(editor.isColouringBehind());
    if (!edit.isEmpty()) {
        const long at =
            atTheTop ? 0 : component(editor).SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        component(editor).SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, at, edit.constData());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!editor.isColouringBehind(), 60000);

    TSynMemo reference;
    reference.setLexer(highlighters.lexer(Language::Html));
    reference.loadFile(editor.textBytes().toByteArray(), EncodingUtf8);
    component(reference).SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
    const long length = component(editor).SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    for (long i = 0; i < length; ++i) {
        const long style = component(editor).SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, i);
        if (style != component(reference).SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, i))
            QFAIL(qPrintable(QStringLiteral("style differs at %1").arg(i)));
    }
}

QTEST_MAIN(TestEditor)
void TestEditor::aViewEditsTheDocumentItIsAttachedTo()
{
    {
        // A document may outlive every view.
        Document outliving;
        std::make_unique<TSynMemo>(nullptr, &outliving).reset();
        QVERIFY(!outliving.isModified());
    }
    // Each document keeps its own text, save point and file while a view moves between them.
    Highlighters highlighters(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    TSynMemo editor;
    Document first;
    Document second;
    editor.attach(&first);
    editor.loadFile("<p>\xc5\xbc</p>", EncodingUtf8);
    editor.setDocumentPath("first.htm");
    QVERIFY(!first.isModified());
    editor.attach(&second);
    QCOMPARE(editor.textBytes().toByteArray(), QByteArray());
    QCOMPARE(editor.documentPath(), QString());
    component(editor).SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 2L, "ab");
    QVERIFY(second.isModified());
    QVERIFY(!first.isModified());
    editor.attach(&first);
    QCOMPARE(editor.textBytes().toByteArray(), QByteArray("<p>\xc5\xbc</p>"));
    QCOMPARE(first.path(), QStringLiteral("first.htm"));
    QVERIFY(!editor.isDocumentModified());
    QVERIFY(second.isModified()); // as its view left it
    editor.attach(&second);
    QCOMPARE(editor.textBytes().toByteArray(), QByteArray("ab"));
    QVERIFY(editor.isDocumentModified());

    // The colouring chosen colours each text attached.
    editor.setLexer(highlighters.lexer(Language::Html));
    editor.attach(&first);
    component(editor).SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
    QVERIFY(component(editor).SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, 1L) != 0);
}

#include "tst_editor.moc"
