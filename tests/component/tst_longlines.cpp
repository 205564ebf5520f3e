// The editor component as the program builds it measures text by summing the advances of a
// monospaced font's characters, lays a long line out again only from its first change, and
// colours a long line only in part. These check that what the user sees is as before.
#include "editor/Highlighters.h"
#include "editor/TSynMemo.h"
#include "encoding/Encoding.h"
#include "support/ComponentAccess.h"

#include <QFontDatabase>
#include <QRandomGenerator>
#include <QTest>
#include <QTextLayout>

namespace {

long send(TSynMemo& editor, unsigned int message, unsigned long wParam = 0, long lParam = 0)
{
    return component(editor).SendScintilla(message, wParam, lParam);
}

// The x of each character boundary of the first line, from the line's start.
QList<long> boundaries(TSynMemo& editor, const QList<long>& positions)
{
    QList<long> xs;
    const long start = send(editor, QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, 0);
    for (const long position : positions)
        xs << send(editor, QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, position) - start;
    return xs;
}

QList<long> characterStarts(const QByteArray& utf8)
{
    QList<long> starts;
    for (int i = 0; i <= utf8.size(); ++i)
        if (i == utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xc0) != 0x80)
            starts << i;
    return starts;
}

} // namespace

class TestLongLines : public QObject {
    Q_OBJECT
private slots:
    void positionsAreTheLayouts_data();
    void positionsAreTheLayouts();
    void editsOnALongLineShowAsAFreshEditor_data();
    void editsOnALongLineShowAsAFreshEditor();
    void firstPaintOfALongLineIsTheWholeLayouts_data();
    void firstPaintOfALongLineIsTheWholeLayouts();
};

void TestLongLines::positionsAreTheLayouts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("proportional");

    const QStringList texts = {
        QStringLiteral("Zażółć gęślą jaźń, ŁÓDŹ i Świętokrzyskie: źdźbło chrząszcza."),
        QStringLiteral("<p class=\"x\">a&amp;b</p><script>if(a<=b&&c!=d){x=\"ą\";}</script>"),
        QStringLiteral("AVAWTo fi ffi -> => != ~`@#$%^*()_+{}[]|\\;:'\",.<>/? ©®°±²µ¶·½¿×÷"),
        // Left to the layout: combining marks, other scripts, and characters outside the
        // basic plane.
        QStringLiteral("cafe\u0301 e\u0328 o\u0301 Z\u0307 — ⇒ ★ 日本語テキスト Привет 😀 end"),
    };
    for (const QString& text : texts) {
        QTest::addRow("monospaced: %s", qPrintable(text.left(12))) << text << false;
        QTest::addRow("proportional: %s", qPrintable(text.left(12))) << text << true;
    }
}

void TestLongLines::positionsAreTheLayouts()
{
    QFETCH(QString, text);
    QFETCH(bool, proportional);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (proportional)
        font = QFont(QStringLiteral("DejaVu Sans"), font.pointSize());
    TSynMemo editor;
    editor.setFont(font);
    editor.resize(1200, 200);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.widget()));
    const QByteArray utf8 = text.toUtf8();
    editor.loadFile(utf8, EncodingUtf8);

    QTextLayout layout(text, font, editor.viewport());
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    QList<long> expected;
    for (int i = 0; i <= text.size(); ++i)
        if (i == text.size() || !text.at(i).isLowSurrogate())
            expected << long(line.cursorToX(i));
    QCOMPARE(boundaries(editor, characterStarts(utf8)), expected);
}

void TestLongLines::editsOnALongLineShowAsAFreshEditor_data()
{
    QTest::addColumn<bool>("proportional");
    // In the program's font most characters are equally wide, and a position left as it was
    // would go unnoticed; in a proportional one it shows.
    QTest::newRow("monospaced") << false;
    QTest::newRow("proportional") << true;
}

void TestLongLines::editsOnALongLineShowAsAFreshEditor()
{
    QFETCH(bool, proportional);
    // A minified page longer than the coloured length, edited at its end, its middle and its
    // start; afterwards the positions, the styles and the caret's column are those of an
    // editor that lays out and colours the same text at once.
    QByteArray page = "<!DOCTYPE html><html><head><style>p{color:red}</style></head><body>";
    while (page.size() < 320'000)
        page += "<p class=\"a\">Zażółć <b>gęślą</b>\tjaźń</p><script>var s='łąka';</script>";
    page += "</body></html>";
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Highlighters highlighters(proportional ? QFont(QStringLiteral("DejaVu Sans"), fixed.pointSize())
                                           : fixed);
    TSynMemo editor;
    editor.setLexer(highlighters.lexer(Language::Html));
    editor.resize(800, 300);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.widget()));
    editor.loadFile(page, EncodingUtf8);
#ifdef TAGOMIR_PATCHED_QSCINTILLA
    QVERIFY(editor.isCaretLinePartlyColoured());
#endif

    QRandomGenerator random(14);
    QList<long> edited;
    const QList<QByteArray> insertions = {"x", "ż", "<b>", "\t", "ą</p>", "'"};
    for (int edit = 0; edit < 60; ++edit) {
        const long length = send(editor, QsciScintillaBase::SCI_GETLENGTH);
        // Mostly near the end, where one types on a minified page.
        long at = edit % 3 == 0 ? random.bounded(int(length)) : length - random.bounded(2000);
        at = send(editor, QsciScintillaBase::SCI_POSITIONBEFORE, at + 1);
        edited << at;
        if (edit % 4 == 3) {
            send(editor, QsciScintillaBase::SCI_GOTOPOS, at);
            send(editor, QsciScintillaBase::SCI_DELETEBACK);
        } else {
            const QByteArray& text = insertions[edit % insertions.size()];
            send(editor, QsciScintillaBase::SCI_INSERTTEXT, at,
                 reinterpret_cast<long>(text.data()));
            send(editor, QsciScintillaBase::SCI_GOTOPOS, at + text.size());
        }
        editor.viewport()->repaint();
        const long caret = send(editor, QsciScintillaBase::SCI_GETCURRENTPOS);
        QCOMPARE(editor.caretColumn(),
                 send(editor, QsciScintillaBase::SCI_COUNTCHARACTERS, 0, caret) + 1);
    }

    TSynMemo fresh;
    fresh.setLexer(highlighters.lexer(Language::Html));
    fresh.resize(800, 300);
    fresh.show();
    QVERIFY(QTest::qWaitForWindowExposed(fresh.widget()));
    const QByteArray text = editor.textBytes().toByteArray();
    fresh.loadFile(text, EncodingUtf8);
    send(fresh, QsciScintillaBase::SCI_COLOURISE, 0, -1);
    QTRY_VERIFY(!editor.isColouringBehind());
    const QList<long> starts = characterStarts(text);
    // Both scrolled to the start: positions left of the view would be rounded the other way.
    send(editor, QsciScintillaBase::SCI_GOTOPOS, 0);
    send(fresh, QsciScintillaBase::SCI_GOTOPOS, 0);
    QList<long> sampled;
    for (int i = 0; i < starts.size(); i += 97)
        sampled << starts[i];
    sampled << starts.last();
    QCOMPARE(boundaries(editor, sampled), boundaries(fresh, sampled));
    // Around each edit, the same picture: the letters in their places and colours.
    for (TSynMemo* shown : {&editor, &fresh})
        send(*shown, QsciScintillaBase::SCI_SETCARETSTYLE, QsciScintillaBase::CARETSTYLE_INVISIBLE);
    for (const long at : edited) {
        const long x = boundaries(fresh, {at}).first();
        QImage pictures[2];
        for (int i = 0; i < 2; ++i) {
            TSynMemo& shown = i ? fresh : editor;
            send(shown, QsciScintillaBase::SCI_SETXOFFSET, std::max(0L, x - 300));
            pictures[i] = shown.viewport()->grab().toImage();
        }
        if (pictures[0] != pictures[1])
            QFAIL(qPrintable(QStringLiteral("what is shown differs near %1").arg(at)));
    }
    QByteArray styles(text.size(), 0), freshStyles(text.size(), 0);
    for (int i = 0; i < text.size(); ++i) {
        styles[i] = char(send(editor, QsciScintillaBase::SCI_GETSTYLEAT, i));
        freshStyles[i] = char(send(fresh, QsciScintillaBase::SCI_GETSTYLEAT, i));
    }
    QCOMPARE(styles, freshStyles);
#ifdef TAGOMIR_PATCHED_QSCINTILLA
    // Past the coloured length, the plain style.
    QCOMPARE(styles.mid(TSynMemo::ColouredLineLength),
             QByteArray(text.size() - TSynMemo::ColouredLineLength, 0));
#endif
}

void TestLongLines::firstPaintOfALongLineIsTheWholeLayouts_data()
{
    QTest::addColumn<QByteArray>("piece");
    QTest::addColumn<bool>("proportional");
    const QByteArray minified =
        "<p class=\"a\">Zażółć <b>gęślą</b>\tjaźń</p><script>var s='łąka';</script>";
    // Polish, combining marks, right-to-left text and characters outside the basic plane.
    const QByteArray mixed =
        QStringLiteral("Łódź cafe\u0301 e\u0328 שלום עולם مرحبا 😀👍🏽 "
                       "日本語 Привет ")
            .toUtf8();
    for (const bool proportional : {false, true}) {
        const char* font = proportional ? "proportional" : "monospaced";
        QTest::addRow("minified, %s", font) << minified << proportional;
        QTest::addRow("mixed scripts, %s", font) << mixed << proportional;
    }
}

void TestLongLines::firstPaintOfALongLineIsTheWholeLayouts()
{
    QFETCH(QByteArray, piece);
    QFETCH(bool, proportional);
    // A line far longer than the window shows, painted first when it is opened and then
    // scrolled along, shows what an editor that laid the whole line out at once shows.
    QByteArray page;
    while (page.size() < 400'000)
        page += piece;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Highlighters highlighters(proportional ? QFont(QStringLiteral("DejaVu Sans"), fixed.pointSize())
                                           : fixed);
    TSynMemo opened, whole;
    for (TSynMemo* editor : {&opened, &whole}) {
        editor->setLexer(highlighters.lexer(Language::Html));
        send(*editor, QsciScintillaBase::SCI_SETCARETSTYLE,
             QsciScintillaBase::CARETSTYLE_INVISIBLE);
        editor->resize(800, 200);
    }
    whole.loadFile(page, EncodingUtf8);
    send(whole, QsciScintillaBase::SCI_COLOURISE, 0, -1);
    whole.show();
    QVERIFY(QTest::qWaitForWindowExposed(whole.widget()));
    // The whole line laid out: the x of its end asked for.
    const long length = send(whole, QsciScintillaBase::SCI_GETLENGTH);
    send(whole, QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, length);

    opened.loadFile(page, EncodingUtf8);
    send(opened, QsciScintillaBase::SCI_COLOURISE, 0, -1);
    opened.show();
    QVERIFY(QTest::qWaitForWindowExposed(opened.widget()));
    QCOMPARE(opened.viewport()->grab().toImage(), whole.viewport()->grab().toImage());

    // Scrolled along by the scroll bar, as a paint asks for more of the line, then by the
    // positions asked for; the x of the line's end last.
    QList<long> sampled;
    for (long at = 0; at < length; at += length / 7)
        sampled << send(whole, QsciScintillaBase::SCI_POSITIONBEFORE, at + 1);
    QList<long> xs;
    for (const long at : sampled)
        xs << send(whole, QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, at);
    for (const long x : xs) {
        QImage pictures[2];
        for (int i = 0; i < 2; ++i) {
            TSynMemo& shown = i ? whole : opened;
            send(shown, QsciScintillaBase::SCI_SETXOFFSET, x);
            pictures[i] = shown.viewport()->grab().toImage();
        }
        if (pictures[0] != pictures[1])
            QFAIL(qPrintable(QStringLiteral("what is shown differs at x %1").arg(x)));
    }
    sampled << length;
    QCOMPARE(boundaries(opened, sampled), boundaries(whole, sampled));
    // A click right of the part laid out so far finds the same character.
    opened.resize(800, 201);
    for (const long x : xs)
        QCOMPARE(send(opened, QsciScintillaBase::SCI_CHARPOSITIONFROMPOINT, x + 37, 5),
                 send(whole, QsciScintillaBase::SCI_CHARPOSITIONFROMPOINT, x + 37, 5));
}

QTEST_MAIN(TestLongLines)
#include "tst_longlines.moc"
