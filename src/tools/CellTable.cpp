#include "tools/CellTable.h"

#include "engine/EventPacer.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace {

// The text of a position a short row does not have.
const QString NoCell;

const QString& cellOf(const CellTable::Row& row, int column)
{
    return column < row.size() ? row.at(column) : NoCell;
}

int wrapIndex(int index, int count)
{
    if (count <= 0)
        return -1;
    const int rest = index % count;
    return rest < 0 ? rest + count : rest;
}

// Number of UTF-16 units of the character at i: a surrogate pair is one character, so that
// splitting at every character never cuts one in half.
int charLength(QStringView text, int i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
}

uint codePointAt(QStringView text, int i, int length)
{
    return length == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
}

int characterCount(QStringView text)
{
    int count = 0;
    for (int i = 0; i < text.size(); i += charLength(text, i))
        ++count;
    return count;
}

bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

// The characters of a filter, looked up in constant time while walking a text.
class SeparatorSet
{
public:
    explicit SeparatorSet(const QString& chars) : m_basic(0x10000)
    {
        for (int i = 0, length = 0; i < chars.size(); i += length) {
            length = charLength(chars, i);
            const uint code = codePointAt(chars, i, length);
            if (code < 0x10000)
                m_basic.setBit(int(code));
            else
                m_astral.insert(code);
        }
    }

    bool contains(uint code) const { return code < 0x10000 ? m_basic.testBit(int(code)) : m_astral.contains(code); }

private:
    QBitArray m_basic;
    QSet<uint> m_astral;
};

CellTable::Row everyCharacter(QStringView unit, int width)
{
    CellTable::Row cells;
    cells.reserve(width);
    for (int i = 0, length = 0; i < unit.size(); i += length) {
        length = charLength(unit, i);
        cells.append(unit.mid(i, length).toString());
    }
    while (cells.size() < width)
        cells.append(QStringLiteral(" "));
    return cells;
}

// Runs of separators count as one and leading ones give nothing, but the cell that is open at the
// end is always kept, so a trailing separator leaves one empty last cell.
CellTable::Row splitAtCharacters(QStringView unit, const SeparatorSet& separators, int expected)
{
    CellTable::Row cells;
    cells.reserve(expected);
    const QChar* data = unit.data();
    const int size = int(unit.size());
    int start = 0;
    for (int i = 0; i < size; ++i) {
        const ushort code = data[i].unicode();
        const bool surrogatePair = QChar::isHighSurrogate(code) && i + 1 < size && data[i + 1].isLowSurrogate();
        const bool separator = surrogatePair ? separators.contains(QChar::surrogateToUcs4(data[i], data[i + 1]))
                                             : separators.contains(code);
        if (separator) {
            if (i > start)
                cells.append(QString(data + start, i - start));
            start = i + (surrogatePair ? 2 : 1);
        }
        if (surrogatePair)
            ++i;
    }
    cells.append(QString(data + start, size - start));
    return cells;
}

// The lines of text as views into it, cut exactly as splitTextLines cuts them, without a string
// for each line.
QVector<QStringView> lineViews(const QString& text)
{
    QVector<QStringView> lines;
    const QChar* data = text.constData();
    const int size = text.size();
    int start = 0;
    for (int i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        lines.append(QStringView(data + start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && data[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(QStringView(data + start, size - start));
    return lines;
}

} // namespace

CellTable::CellTable(const QString& text, const QString& filter, bool matchWholeWord, int linesPerRow)
{
    split(text, filter, matchWholeWord, linesPerRow);
}

CellTable::SplitResult CellTable::split(const QString& text, const QString& filter, bool matchWholeWord,
                                        int linesPerRow, const StopFunction& isStopRequested, qint64 cellLimit)
{
    // A unit costs about as little as reading the clock.
    EventPacer pacer(isStopRequested, EventPacer::DefaultIntervalMs, EventPacer::Clock::Adaptive);

    // Units are views into the text, or into the joined groups of lines; both outlive them.
    QVector<QStringView> units;
    QStringList groups;
    if (linesPerRow == 1) {
        units = lineViews(text);
    } else if (linesPerRow > 1) {
        const QVector<QStringView> lines = lineViews(text);
        groups.reserve(lines.size() / linesPerRow + 1);
        for (int i = 0; i < lines.size(); i += linesPerRow) {
            QString group = lines.at(i).toString();
            for (int j = i + 1; j < std::min(int(lines.size()), i + linesPerRow); ++j) {
                group += QLatin1Char(' ');
                group.append(lines.at(j).data(), int(lines.at(j).size()));
            }
            groups.append(group);
        }
        units.reserve(groups.size());
        for (const QString& group : qAsConst(groups))
            units.append(QStringView(group));
    }

    // Blank units make no row. The longest unit sets the row width when every character is a cell.
    const bool everyChar = filter.isEmpty();
    QVector<QStringView> kept;
    kept.reserve(units.size());
    int width = 0;
    for (const QStringView unit : qAsConst(units)) {
        if (pacer.pollStop())
            return SplitResult::Stopped;
        if (isBlank(unit))
            continue;
        kept.append(unit);
        if (everyChar)
            width = std::max(width, characterCount(unit));
    }
    units.clear();
    // Known before a single cell is made; the filtered widths only once the rows are cut.
    if (everyChar && qint64(kept.size()) * width > cellLimit)
        return SplitResult::TooManyCells;

    const SeparatorSet separators(everyChar || matchWholeWord ? QString() : filter);
    QVector<Row> rows;
    rows.reserve(kept.size());
    int cellCount = 0;
    qint64 cellsMade = 0;
    for (const QStringView unit : qAsConst(kept)) {
        if (pacer.pollStop())
            return SplitResult::Stopped;
        if (everyChar) {
            rows.append(everyCharacter(unit, width));
            continue;
        }
        // Rows of a text tend to have the same width; reserving the last one's saves regrowing.
        rows.append(matchWholeWord ? unit.toString().split(filter, Qt::KeepEmptyParts, Qt::CaseSensitive)
                                   : splitAtCharacters(unit, separators, rows.isEmpty() ? 1 : rows.constLast().size()));
        cellCount = std::max(cellCount, int(rows.constLast().size()));
        // The padded grid is at least as large as the cells made so far.
        cellsMade += rows.constLast().size();
        if (cellsMade > cellLimit)
            return SplitResult::TooManyCells;
    }
    if (qint64(rows.size()) * cellCount > cellLimit)
        return SplitResult::TooManyCells;

    for (Row& row : rows) {
        while (row.size() < cellCount)
            row.append(QString());
    }

    m_rows = std::move(rows);
    m_columnCount = everyChar ? (m_rows.isEmpty() ? 0 : width) : cellCount;
    m_sourceText = text;
    m_filter = filter;
    m_matchWholeWord = matchWholeWord;
    return SplitResult::Done;
}

int CellTable::wrapRow(int row) const
{
    return wrapIndex(row, m_rows.size());
}

int CellTable::wrapColumn(int column) const
{
    return wrapIndex(column, m_columnCount);
}

void CellTable::updateColumnCount()
{
    m_columnCount = 0;
    for (const Row& row : qAsConst(m_rows))
        m_columnCount = std::max(m_columnCount, int(row.size()));
}

// A short row only grows when it has to hold text; an empty text reads the same from a missing cell.
void CellTable::setCellText(int row, int column, const QString& text)
{
    Row& cells = m_rows[row];
    if (column < cells.size()) {
        cells[column] = text;
    } else if (!text.isEmpty()) {
        while (cells.size() < column)
            cells.append(QString());
        cells.append(text);
    }
}

QString CellTable::cell(int row, int column) const
{
    row = wrapRow(row);
    column = wrapColumn(column);
    if (row < 0 || column < 0)
        return QString();
    return cellOf(m_rows.at(row), column);
}

CellTable::Row CellTable::row(int row) const
{
    row = wrapRow(row);
    return row < 0 ? Row() : m_rows.at(row);
}

QString CellTable::rowText(int row, const QString& separator) const
{
    return this->row(row).join(separator);
}

QStringList CellTable::column(int column) const
{
    QStringList cells;
    column = wrapColumn(column);
    if (column < 0)
        return cells;
    cells.reserve(m_rows.size());
    for (const Row& row : m_rows)
        cells.append(cellOf(row, column));
    return cells;
}

QString CellTable::columnText(int column) const
{
    column = wrapColumn(column);
    if (column < 0)
        return QString();
    // Sized once and filled by copies: a column of a million cells is a text of many megabytes.
    qsizetype size = m_rows.size() - 1;
    for (const Row& row : m_rows)
        size += cellOf(row, column).size();
    QString text(int(size), Qt::Uninitialized);
    QChar* out = text.data();
    for (int r = 0; r < m_rows.size(); ++r) {
        if (r > 0)
            *out++ = QLatin1Char('\n');
        const QString& cell = cellOf(m_rows.at(r), column);
        std::copy(cell.constBegin(), cell.constEnd(), out);
        out += cell.size();
    }
    return text;
}

QString CellTable::text(const QString& separator) const
{
    QStringList lines;
    lines.reserve(m_rows.size());
    for (const Row& row : m_rows)
        lines.append(row.join(separator));
    return lines.join(QLatin1Char('\n'));
}

bool CellTable::appendRow(const Row& cells)
{
    if (!m_rows.isEmpty() && cells.size() != m_columnCount)
        return false;
    m_rows.append(cells);
    m_columnCount = cells.size();
    return true;
}

void CellTable::clearCell(int row, int column)
{
    row = wrapRow(row);
    column = wrapColumn(column);
    if (row < 0 || column < 0 || column >= m_rows.at(row).size())
        return;
    m_rows[row][column] = QString();
}

void CellTable::removeRow(int row)
{
    row = wrapRow(row);
    if (row < 0)
        return;
    m_rows.remove(row);
    updateColumnCount();
}

void CellTable::removeColumn(int column)
{
    removeColumns({column});
}

void CellTable::removeRows(const QList<int>& rows)
{
    if (m_rows.isEmpty() || rows.isEmpty())
        return;
    QVector<bool> removed(m_rows.size(), false);
    for (const int row : rows)
        removed[wrapRow(row)] = true;
    QVector<Row> kept;
    kept.reserve(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!removed.at(i))
            kept.append(std::move(m_rows[i]));
    }
    m_rows = std::move(kept);
    updateColumnCount();
}

void CellTable::removeColumns(const QList<int>& columns)
{
    if (m_columnCount == 0 || columns.isEmpty())
        return;
    QVector<bool> removed(m_columnCount, false);
    int first = m_columnCount;
    for (const int column : columns) {
        const int index = wrapColumn(column);
        removed[index] = true;
        first = std::min(first, index);
    }
    for (Row& row : m_rows) {
        if (row.size() <= first)
            continue;
        Row kept;
        kept.reserve(row.size());
        for (int c = 0; c < row.size(); ++c) {
            if (!removed.at(c))
                kept.append(row.at(c));
        }
        row = std::move(kept);
    }
    updateColumnCount();
}

bool CellTable::setColumn(int column, const QStringList& values)
{
    column = wrapColumn(column);
    if (m_rows.isEmpty() || values.size() != m_rows.size() || column < 0)
        return false;
    for (int row = 0; row < m_rows.size(); ++row)
        setCellText(row, column, values.at(row));
    return true;
}

void CellTable::reverseRow(int row)
{
    row = wrapRow(row);
    if (row < 0)
        return;
    Row& cells = m_rows[row];
    std::reverse(cells.begin(), cells.end());
}

void CellTable::reverseColumn(int column)
{
    QStringList cells = this->column(column);
    std::reverse(cells.begin(), cells.end());
    setColumn(column, cells);
}

void CellTable::flipHorizontally()
{
    for (Row& row : m_rows)
        std::reverse(row.begin(), row.end());
}

void CellTable::flipVertically()
{
    if (m_rows.size() > 1)
        std::reverse(m_rows.begin(), m_rows.end());
}

void CellTable::rotate(int quarterTurns)
{
    const int turns = wrapIndex(quarterTurns, 4);
    const int rows = m_rows.size();
    const int columns = m_columnCount;
    // A table without cells has no shape to turn.
    if (turns == 0 || rows == 0 || columns == 0)
        return;
    if (turns == 2) {
        flipHorizontally();
        flipVertically();
        return;
    }
    // Clockwise, row i is column i read bottom to top; counter-clockwise, row i is column
    // columns-1-i read top to bottom. Short rows give empty cells, so no cell is lost.
    QVector<Row> turned(columns);
    for (int i = 0; i < columns; ++i) {
        Row& cells = turned[i];
        cells.reserve(rows);
        if (turns == 1) {
            for (int r = rows - 1; r >= 0; --r)
                cells.append(cellOf(m_rows.at(r), i));
        } else {
            for (int r = 0; r < rows; ++r)
                cells.append(cellOf(m_rows.at(r), columns - 1 - i));
        }
    }
    m_rows = std::move(turned);
    m_columnCount = rows;
}

bool CellTable::swapCells(int column1, int row1, int column2, int row2)
{
    const auto inside = [this](int column, int row) {
        return row >= 0 && row < m_rows.size() && column >= 0 && column < m_columnCount;
    };
    if (!inside(column1, row1) || !inside(column2, row2))
        return false;
    const QString first = cellOf(m_rows.at(row1), column1);
    const QString second = cellOf(m_rows.at(row2), column2);
    setCellText(row1, column1, second);
    setCellText(row2, column2, first);
    return true;
}

bool CellTable::removeConstantColumns(const StopFunction& isStopRequested)
{
    if (m_columnCount == 0 || m_rows.size() < 2)
        return true;
    // Work on a snapshot: events run between the columns.
    const QVector<Row> rows = m_rows;
    const int columns = m_columnCount;
    EventPacer pacer(isStopRequested);
    QList<int> constant;
    for (int c = columns - 1; c >= 0; --c) {
        if (pacer.pollStop())
            return false;
        const QString& first = cellOf(rows.at(0), c);
        const bool same =
            std::all_of(rows.begin() + 1, rows.end(), [&](const Row& row) { return cellOf(row, c) == first; });
        if (same)
            constant.append(c);
    }
    // Indices found in the snapshot would hit the wrong cells of a table that changed meanwhile.
    if (m_rows != rows)
        return false;
    removeColumns(constant);
    return true;
}

bool CellTable::regroup(int itemsPerRow, const StopFunction& isStopRequested)
{
    if (itemsPerRow < 1)
        return false;
    // Work on a snapshot: events run between the items.
    const QVector<Row> rows = m_rows;
    const int perRow = std::min(itemsPerRow, std::max(1, int(rows.size())));
    EventPacer pacer(isStopRequested);
    QVector<Row> grouped;
    grouped.reserve(rows.size() / itemsPerRow + 1);
    Row current;
    current.reserve(perRow);
    for (const Row& row : rows) {
        if (pacer.pollStop())
            return false;
        current.append(row.size() == 1 ? row.first() : row.join(QString()));
        if (current.size() == itemsPerRow) {
            grouped.append(std::move(current));
            current = Row();
            current.reserve(perRow);
        }
    }
    if (!current.isEmpty())
        grouped.append(std::move(current));
    // Replacing a table that changed meanwhile would throw those changes away.
    if (m_rows != rows)
        return false;
    m_rows = std::move(grouped);
    updateColumnCount();
    return true;
}

QString CellTable::selectionText(int row1, int column1, int row2, int column2, const Mask& mask, bool align) const
{
    int top = wrapRow(row1);
    int bottom = wrapRow(row2);
    int left = wrapColumn(column1);
    int right = wrapColumn(column2);
    if (top < 0 || left < 0)
        return QString();
    if (top > bottom)
        std::swap(top, bottom);
    if (left > right)
        std::swap(left, right);

    QVector<int> widths;
    if (align) {
        widths.fill(0, right - left + 1);
        for (const Row& row : m_rows) {
            for (int c = left; c <= right && c < row.size(); ++c)
                widths[c - left] = std::max(widths.at(c - left), int(row.at(c).size()));
        }
    }

    QStringList lines;
    lines.reserve(bottom - top + 1);
    for (int r = top; r <= bottom; ++r) {
        const Row& row = m_rows.at(r);
        const QBitArray flags = r - top < mask.size() ? mask.at(r - top) : QBitArray();
        QStringList cells;
        cells.reserve(right - left + 1);
        for (int c = left; c <= right; ++c) {
            const bool selected = c - left < flags.size() && flags.testBit(c - left);
            const QString text = selected ? cellOf(row, c) : QString();
            cells.append(align ? text.leftJustified(widths.at(c - left), QLatin1Char(' ')) : text);
        }
        lines.append(cells.join(QLatin1Char(' ')));
    }
    return lines.join(QLatin1Char('\n'));
}

CellTable::Mask CellTable::fullMask(int rows, int columns)
{
    if (rows <= 0 || columns <= 0)
        return Mask();
    return Mask(rows, QBitArray(columns, true));
}
