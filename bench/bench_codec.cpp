#include "encoding/CharsetDeclaration.h"
#include "encoding/CharsetDetection.h"
#include "encoding/DocumentCodec.h"
#include "encoding/Encoding.h"
#include "encoding/TextLines.h"
#include "encoding/Unrepresentable.h"
#include "encoding/WellFormedStretch.h"

#include <QByteArray>
#include <QList>

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

constexpr qsizetype CorpusBytes = 100 * 1000 * 1000;

// Editor text (UTF-8, lines joined by '\n'): an HTML page body repeated with varying numbers,
// holding all eighteen Polish letters. No charset declaration, so detection scans everything.
const QByteArray& editorText()
{
    static const QByteArray text = [] {
        const QList<QByteArray> lines = {
            "<div class=\"artykul\">",
            "  <h2>Zażółć gęślą jaźń - rozdział %1</h2>",
            "  <p>Pchnąć w tę łódź jeża lub ośm skrzyń fig. Źdźbło trawy, żółw i ślimak.</p>",
            "  <p>ĄĆĘŁŃÓŚŹŻ ąćęłńóśźż: <a href=\"strona-%1.html\">następna strona</a></p>",
            "  <ul><li>Łódź</li><li>Kraków</li><li>Gdańsk</li><li>Poznań</li></ul>",
            "  <p>Wszystkie prawa zastrzeżone (c) 2024. Cena: 120 zł.</p>",
            "</div>",
        };
        QByteArray block;
        QByteArray all;
        all.reserve(CorpusBytes + 4096);
        for (int n = 0; all.size() < CorpusBytes; ++n) {
            for (const QByteArray& line : lines) {
                all += QByteArray(line).replace("%1", QByteArray::number(n));
                all += '\n';
            }
        }
        all.chop(1);
        return all;
    }();
    return text;
}

// The same text as a file in each encoding, CR LF after every line.
const QByteArray& fileBytes(Encoding form)
{
    static const QByteArray utf8 = encodeDocument(editorText(), EncodingUtf8, LineBreak::CrLf);
    static const QByteArray iso = encodeDocument(editorText(), EncodingIso88592, LineBreak::CrLf);
    static const QByteArray cp1250 = encodeDocument(editorText(), EncodingCp1250, LineBreak::CrLf);
    switch (form.index()) {
    case EncodingUtf8:
        return utf8;
    case EncodingIso88592:
        return iso;
    default:
        return cp1250;
    }
}

// The UTF-8 file again with LF alone after every line: nothing stops the UTF-8 check but the end.
const QByteArray& utf8FileWithLf()
{
    static const QByteArray bytes = encodeDocument(editorText(), EncodingUtf8, LineBreak::Lf);
    return bytes;
}

// The LF file with Polish quotation marks round every paragraph: three-byte sequences too.
const QByteArray& utf8FileWithQuotes()
{
    static const QByteArray bytes =
        QByteArray(utf8FileWithLf()).replace("<p>", "<p>„").replace("</p>", "”</p>");
    return bytes;
}

void reportThroughput(benchmark::State& state, qsizetype bytesPerIteration)
{
    state.SetBytesProcessed(state.iterations() * bytesPerIteration);
    state.counters["MB/s"] = benchmark::Counter(
        double(state.iterations()) * double(bytesPerIteration) / 1e6, benchmark::Counter::kIsRate);
}

void decode(benchmark::State& state, Encoding fileForm, Encoding encoding)
{
    const QByteArray& bytes = fileBytes(fileForm);
    for (auto _ : state) {
        QByteArray text = decodeDocument(bytes, encoding);
        benchmark::DoNotOptimize(text.data());
    }
    reportThroughput(state, bytes.size());
}

void decodeInChunks(benchmark::State& state, Encoding fileForm, Encoding encoding)
{
    const QByteArray& bytes = fileBytes(fileForm);
    for (auto _ : state) {
        qsizetype total = 0;
        decodeDocument(bytes, encoding, [&](QByteArrayView piece) { total += piece.size(); });
        benchmark::DoNotOptimize(total);
    }
    reportThroughput(state, bytes.size());
}

void encode(benchmark::State& state, Encoding form)
{
    const QByteArray& text = editorText();
    for (auto _ : state) {
        QByteArray file = encodeDocument(text, form, LineBreak::CrLf);
        benchmark::DoNotOptimize(file.data());
    }
    reportThroughput(state, text.size());
}

// The same text with an arrow on every heading: about 240 thousand characters ISO-8859-2 lacks.
const QByteArray& editorTextWithArrows()
{
    static const QByteArray text = QByteArray(editorText()).replace("<h2>", "<h2>→ ");
    return text;
}

// An encoding change of the whole document as the program makes it, short of the disk: the
// declaration found and the edit worked out, the characters the target cannot hold counted,
// then the text encoded in the pieces the file is written in (with references in place of
// those characters, when there are any).
void changeEncoding(benchmark::State& state, const QByteArray& text, Encoding form)
{
    for (auto _ : state) {
        const auto edit = declarationEdit(text, EncodingIso88592, true, LineBreak::Lf);
        const UnrepresentableReport report = findUnrepresentable(text, form);
        const QByteArray referenced =
            report.count ? withCharacterReferences(text, form) : QByteArray();
        qsizetype written = 0;
        encodeDocument(report.count ? QByteArrayView(referenced) : QByteArrayView(text), form,
                       LineBreak::CrLf, [&](QByteArrayView piece) { written += piece.size(); });
        benchmark::DoNotOptimize(written);
        benchmark::DoNotOptimize(edit);
        state.counters["unrepresentable"] = double(report.count);
    }
    reportThroughput(state, text.size());
}

// The UTF-8 check and break scan alone, stretch after stretch as decoding walks a file, on one
// path.
void scanStretches(benchmark::State& state, const QByteArray& bytes, Utf8Scan::ScanPath path)
{
    using namespace Utf8Scan;
    if (!scanPathAvailable(path)) {
        state.SkipWithError("not on this processor");
        return;
    }
    const auto* const begin = reinterpret_cast<const Byte*>(bytes.constData());
    const Byte* const end = begin + bytes.size();
    for (auto _ : state) {
        qsizetype stretches = 0;
        for (const Byte* p = begin; p < end; ++stretches) {
            p = wellFormedStretchEnd<TextLines::FileBreaksOtherThanLf>(path, p, end, end);
            if (p < end)
                p = TextLines::stepOverBreak(p, end);
        }
        benchmark::DoNotOptimize(stretches);
    }
    reportThroughput(state, bytes.size());
}

void findCharset(benchmark::State& state)
{
    const QByteArray& bytes = fileBytes(EncodingUtf8);
    for (auto _ : state) {
        CharsetLine line = findCharsetLine(bytes);
        benchmark::DoNotOptimize(line.index);
    }
    reportThroughput(state, bytes.size());
}

void checkUtf8(benchmark::State& state)
{
    const QByteArray& bytes = fileBytes(EncodingUtf8);
    for (auto _ : state) {
        bool valid = isMultibyteUtf8(bytes);
        benchmark::DoNotOptimize(valid);
    }
    reportThroughput(state, bytes.size());
}

void readLines(benchmark::State& state)
{
    const QByteArray& bytes = fileBytes(EncodingCp1250);
    for (auto _ : state) {
        qsizetype count = 0;
        for (TextLines::LineReader<TextLines::FileBreaks> reader(bytes); !reader.atEnd(); ++count)
            benchmark::DoNotOptimize(reader.next().data());
        benchmark::DoNotOptimize(count);
    }
    reportThroughput(state, bytes.size());
}

// glibc's converter on the same bytes, into one buffer of the worst-case size.
void iconvConvert(benchmark::State& state, const char* to, const char* from, const QByteArray& in)
{
    const iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        throw std::runtime_error("iconv_open failed");
    QByteArray out(in.size() * 3 + 64, Qt::Uninitialized);
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* inPointer = const_cast<char*>(in.constData());
        size_t inLeft = size_t(in.size());
        char* outPointer = out.data();
        size_t outLeft = size_t(out.size());
        if (iconv(cd, &inPointer, &inLeft, &outPointer, &outLeft) == size_t(-1))
            state.SkipWithError("iconv failed");
        benchmark::DoNotOptimize(outPointer);
    }
    iconv_close(cd);
    reportThroughput(state, in.size());
}

void copyWithMemcpy(benchmark::State& state)
{
    const QByteArray& bytes = fileBytes(EncodingUtf8);
    QByteArray out(bytes.size(), Qt::Uninitialized);
    for (auto _ : state) {
        std::memcpy(out.data(), bytes.constData(), size_t(bytes.size()));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    reportThroughput(state, bytes.size());
}

// The same copy into a fresh allocation each time: what page faults alone cost a new buffer.
void copyIntoFreshBuffer(benchmark::State& state)
{
    const QByteArray& bytes = fileBytes(EncodingUtf8);
    for (auto _ : state) {
        QByteArray out(bytes.size(), Qt::Uninitialized);
        std::memcpy(out.data(), bytes.constData(), size_t(bytes.size()));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    reportThroughput(state, bytes.size());
}

void registerAll()
{
    const auto add = [](const char* name, auto function) {
        benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    add("decode/utf-8", [](benchmark::State& s) { decode(s, EncodingUtf8, EncodingUtf8); });
    add("decode/utf-8/lf", [](benchmark::State& s) {
        const QByteArray& bytes = utf8FileWithLf();
        for (auto _ : s)
            benchmark::DoNotOptimize(decodeDocument(bytes, EncodingUtf8).data());
        reportThroughput(s, bytes.size());
    });
    add("decode/iso-8859-2",
        [](benchmark::State& s) { decode(s, EncodingIso88592, EncodingIso88592); });
    add("decode/cp-1250", [](benchmark::State& s) { decode(s, EncodingCp1250, EncodingCp1250); });
    add("decode/utf-8/4MB-pieces",
        [](benchmark::State& s) { decodeInChunks(s, EncodingUtf8, EncodingUtf8); });
    add("decode/cp-1250/4MB-pieces",
        [](benchmark::State& s) { decodeInChunks(s, EncodingCp1250, EncodingCp1250); });
    add("encode/utf-8", [](benchmark::State& s) { encode(s, EncodingUtf8); });
    add("encode/iso-8859-2", [](benchmark::State& s) { encode(s, EncodingIso88592); });
    add("encode/cp-1250", [](benchmark::State& s) { encode(s, EncodingCp1250); });
    add("encode/8-bit", [](benchmark::State& s) { encode(s, EncodingUnknown); });
    add("detect/findCharsetLine-no-declaration", findCharset);
    add("change/check-and-encode/iso-8859-2",
        [](benchmark::State& s) { changeEncoding(s, editorText(), EncodingIso88592); });
    add("change/check-and-encode/cp-1250",
        [](benchmark::State& s) { changeEncoding(s, editorText(), EncodingCp1250); });
    add("change/check-references-and-encode/iso-8859-2",
        [](benchmark::State& s) { changeEncoding(s, editorTextWithArrows(), EncodingIso88592); });
    add("detect/isMultibyteUtf8", checkUtf8);
    add("lines/LineReader", readLines);
    using Utf8Scan::ScanPath;
    using File = const QByteArray& (*)();
    const std::pair<const char*, File> files[] = {
        {"crlf", []() -> const QByteArray& { return fileBytes(EncodingUtf8); }},
        {"lf", utf8FileWithLf},
        {"lf-quotes", utf8FileWithQuotes}};
    const std::pair<const char*, ScanPath> paths[] = {
        {"scalar", ScanPath::Scalar}, {"sse2", ScanPath::Sse2}, {"avx2", ScanPath::Avx2}};
    for (const auto& [fileName, file] : files) {
        for (const auto& [pathName, path] : paths) {
            benchmark::RegisterBenchmark(
                (std::string("scan/utf-8/") + fileName + "/" + pathName).c_str(),
                [file, path](benchmark::State& s) { scanStretches(s, file(), path); })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    add("iconv/utf-8-to-utf-8",
        [](benchmark::State& s) { iconvConvert(s, "UTF-8", "UTF-8", fileBytes(EncodingUtf8)); });
    add("iconv/iso-8859-2-to-utf-8", [](benchmark::State& s) {
        iconvConvert(s, "UTF-8", "ISO-8859-2", fileBytes(EncodingIso88592));
    });
    add("iconv/cp1250-to-utf-8",
        [](benchmark::State& s) { iconvConvert(s, "UTF-8", "CP1250", fileBytes(EncodingCp1250)); });
    add("iconv/utf-8-to-iso-8859-2",
        [](benchmark::State& s) { iconvConvert(s, "ISO-8859-2", "UTF-8", editorText()); });
    add("iconv/utf-8-to-cp1250",
        [](benchmark::State& s) { iconvConvert(s, "CP1250", "UTF-8", editorText()); });
    add("memcpy", copyWithMemcpy);
    add("memcpy/fresh-buffer", copyIntoFreshBuffer);
}

} // namespace

int main(int argc, char** argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
