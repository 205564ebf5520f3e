// Any bytes with any colouring give words inside the text, in order, each non-empty, no longer
// than a checked word, and made of bytes the colouring lets a reader read.
#include "FuzzCheck.h"

#include "spelling/SpellText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte chooses the scope; of the rest, each byte's role is its low three bits
    // when the byte is below 0x20, else that of the byte before (text at the start).
    if (size == 0)
        return 0;
    const SpellScope scope{bool(data[0] & 1), bool(data[0] & 2), bool(data[0] & 4)};
    const QByteArrayView text = fuzzBytes(data + 1, size - 1);
    QByteArray roles(text.size(), char(TextRole::Text));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        roles[i] = byte < 0x20 ? char((byte & 7) % 7) : i ? roles[i - 1] : char(TextRole::Text);
    }
    qsizetype previousEnd = 0;
    for (const SpellWord& word : readerWords(text, roles, scope, data[0] & 8)) {
        fuzzCheck(word.start >= previousEnd && word.start < word.end && word.end <= text.size(),
                  "words in order inside the text", text.toByteArray());
        fuzzCheck(!word.word.isEmpty() && word.word.size() <= MaxCheckedWordLength,
                  "a word is short and not empty", word.word.toUtf8());
        for (qsizetype i = word.start; i < word.end; ++i) {
            const auto role = TextRole(roles[i]);
            fuzzCheck(role == TextRole::Text || role == TextRole::AttributeValue ||
                          role == TextRole::Comment || role == TextRole::Literal,
                      "a word is made of bytes a reader reads", text.toByteArray());
        }
        previousEnd = word.end;
    }
    for (qsizetype size : {1, 7, 2048}) {
        const qsizetype end = chunkEnd(text, 0, size);
        fuzzCheck(end > 0 || text.isEmpty(), "a chunk is never empty");
        fuzzCheck(end <= text.size() && (end <= size || text.size() <= size),
                  "a chunk within its size", text.toByteArray());
    }
    return 0;
}
