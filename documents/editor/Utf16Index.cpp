#include "editor/Utf16Index.h"

#include <algorithm>

namespace {

bool continues(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// UTF-16 units of the character a byte starts: none for a byte that continues one, two for a
// sequence of four bytes.
qsizetype unitsStartedBy(unsigned char byte)
{
    return qsizetype(!continues(byte)) + qsizetype(byte >= 0xF0);
}

} // namespace

qsizetype Utf16Index::countUnits(QByteArrayView bytes)
{
    qsizetype units = 0;
    for (const char byte : bytes)
        units += unitsStartedBy(static_cast<unsigned char>(byte));
    return units;
}

std::vector<Utf16Index::Block> Utf16Index::cut(qsizetype start, qsizetype length,
                                               const Reader& read)
{
    std::vector<Block> blocks;
    blocks.reserve(std::size_t(length / BlockBytes + 1));
    for (qsizetype done = 0; done < length;) {
        qsizetype size = std::min(BlockBytes, length - done);
        // A block ends before a character, not inside one.
        const QByteArrayView piece = read(start + done, std::min(size + 3, length - done));
        while (size < piece.size() && continues(static_cast<unsigned char>(piece[size])))
            ++size;
        blocks.push_back({size, countUnits(piece.first(size))});
        done += size;
    }
    return blocks;
}

void Utf16Index::rebuild(qsizetype length, const Reader& read)
{
    m_blocks = cut(0, length, read);
    m_bytes = length;
    m_units = 0;
    for (const Block& block : m_blocks)
        m_units += block.units;
}

Utf16Index::Place Utf16Index::blockAt(qsizetype position) const
{
    Place place;
    for (; place.block + 1 < m_blocks.size(); ++place.block) {
        const Block& block = m_blocks[place.block];
        if (position < place.start + block.bytes)
            break;
        place.start += block.bytes;
        place.unitsBefore += block.units;
    }
    return place;
}

void Utf16Index::inserted(qsizetype position, qsizetype length, const Reader& read)
{
    if (length <= 0)
        return;
    if (m_blocks.empty()) {
        rebuild(length, read);
        return;
    }
    position = std::clamp<qsizetype>(position, 0, m_bytes);
    const Place place = blockAt(position);
    Block& block = m_blocks[place.block];
    const qsizetype grown = block.bytes + length;
    m_bytes += length;
    if (grown <= 2 * BlockBytes) {
        const qsizetype units = countUnits(read(position, length));
        block.bytes = grown;
        block.units += units;
        m_units += units;
        return;
    }
    std::vector<Block> pieces = cut(place.start, grown, read);
    m_units -= block.units;
    for (const Block& piece : pieces)
        m_units += piece.units;
    const auto at = m_blocks.begin() + qsizetype(place.block);
    *at = pieces.front();
    m_blocks.insert(at + 1, pieces.begin() + 1, pieces.end());
}

void Utf16Index::removing(qsizetype position, qsizetype length, const Reader& read)
{
    position = std::clamp<qsizetype>(position, 0, m_bytes);
    length = std::min(length, m_bytes - position);
    if (length <= 0)
        return;
    const Place place = blockAt(position);
    std::size_t index = place.block;
    qsizetype start = place.start;
    qsizetype at = position;
    // Blocks wholly removed are let go with the units they hold; only the ends are counted.
    for (qsizetype left = length; left > 0 && index < m_blocks.size(); ++index) {
        Block& block = m_blocks[index];
        const qsizetype end = start + block.bytes;
        const qsizetype removed = std::min(left, end - at);
        const qsizetype units =
            removed == block.bytes ? block.units : countUnits(read(at, removed));
        block.bytes -= removed;
        block.units -= units;
        m_bytes -= removed;
        m_units -= units;
        left -= removed;
        start = at = end;
    }
    const auto first = m_blocks.begin() + qsizetype(place.block);
    const auto last = m_blocks.begin() + qsizetype(index);
    m_blocks.erase(std::remove_if(first, last, [](const Block& block) { return block.bytes == 0; }),
                   last);
    // What is left of the blocks at either end joins a neighbour when both are small, so that
    // editing never leaves a trail of tiny blocks.
    const std::size_t from = place.block == 0 ? 0 : place.block - 1;
    for (std::size_t i = from; i + 1 < m_blocks.size() && i <= place.block + 1;) {
        if (m_blocks[i].bytes + m_blocks[i + 1].bytes <= BlockBytes) {
            m_blocks[i].bytes += m_blocks[i + 1].bytes;
            m_blocks[i].units += m_blocks[i + 1].units;
            m_blocks.erase(m_blocks.begin() + qsizetype(i) + 1);
        } else {
            ++i;
        }
    }
}

qsizetype Utf16Index::offsetOf(qsizetype position, const Reader& read) const
{
    if (m_blocks.empty())
        return 0;
    position = std::clamp<qsizetype>(position, 0, m_bytes);
    const Place place = blockAt(position);
    return place.unitsBefore + countUnits(read(place.start, position - place.start));
}

qsizetype Utf16Index::positionOf(qsizetype offset, const Reader& read) const
{
    if (m_blocks.empty() || offset <= 0)
        return 0;
    if (offset >= m_units)
        return m_bytes;
    qsizetype start = 0;
    qsizetype units = 0;
    std::size_t index = 0;
    while (index + 1 < m_blocks.size() && units + m_blocks[index].units <= offset) {
        start += m_blocks[index].bytes;
        units += m_blocks[index].units;
        ++index;
    }
    const QByteArrayView bytes = read(start, m_blocks[index].bytes);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const qsizetype width = unitsStartedBy(static_cast<unsigned char>(bytes[i]));
        if (width > 0 && units + width > offset)
            return start + i;
        units += width;
    }
    return start + bytes.size();
}
