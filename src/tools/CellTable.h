#pragma once
// A grid of text cells that the column tools build from a text (split by separators, or row by row
// from regular-expression matches), let the user rearrange, and finally hand over column by column.
// A table of millions of cells is a few buffers: the cells are byte ranges of one shared text, and a
// cell becomes a string only when it is asked for. Copies share those buffers until one of them
// changes. The text is kept as UTF-8, so that a column goes into an editor as bytes, without a string
// on the way.

#include <QBitArray>
#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <string_view>

class CellTable
{
public:
    using Row = QStringList;
    // One flag per cell of a rectangular box, indexed [row - top][column - left].
    using Mask = QVector<QBitArray>;
    // Asked whenever pending events have been processed; returning true abandons the operation.
    using StopFunction = std::function<bool()>;
    enum class SplitResult { Done, Stopped, TooManyCells };
    // A split past this many cells (rows times the widest row, padding included) is refused: a
    // preview of short lines and one very long line would otherwise take gigabytes.
    static constexpr qint64 MaxCells = 20000000;

    CellTable() = default;
    // Same as split() without a stop.
    CellTable(const QString& text, const QString& filter, bool matchWholeWord, int linesPerRow);

    // Replaces the table by the cells of text. Every line (or every group of linesPerRow lines,
    // joined by a space) that is not blank becomes a row, cut at the filter: at every character
    // when it is empty, at each occurrence of the whole filter with matchWholeWord, else at runs of
    // its characters. Rows are padded to the same length; a character (a surrogate pair too) is one
    // cell. Leaves the table as it was when stopped or when the padded grid would hold more than
    // cellLimit cells.
    SplitResult split(const QString& text, const QString& filter, bool matchWholeWord, int linesPerRow,
                      const StopFunction& isStopRequested = StopFunction(), qint64 cellLimit = MaxCells);
    // The same split of a text given as editor bytes: UTF-8, or Latin-1 when unicode is false. The
    // cells are those split() makes of the text the editor shows for these bytes (invalid UTF-8 as
    // U+FFFD, NUL bytes kept). Valid UTF-8 and ASCII become the table's text without a copy.
    SplitResult splitBytes(const QByteArray& bytes, bool unicode, const QString& filter, bool matchWholeWord,
                           int linesPerRow, const StopFunction& isStopRequested = StopFunction(),
                           qint64 cellLimit = MaxCells);

    QString sourceText() const;
    QString filter() const { return m_filter; }
    bool matchWholeWord() const { return m_matchWholeWord; }

    // Row and column indices taken by the operations below wrap around (-1 is the last one); on
    // an empty dimension they address nothing. The column count is the length of the longest row,
    // so a shorter row (left by regroup) reads as empty cells and no cell is ever out of reach.
    int rowCount() const { return m_rowLengths.size(); }
    int columnCount() const { return m_columnCount; }
    // Width = columns, height = rows.
    QSize dimensions() const { return QSize(m_columnCount, rowCount()); }
    bool isEmpty() const { return m_rowLengths.isEmpty(); }
    // Every row as strings, each as long as the row is.
    QVector<Row> rows() const;

    QString cell(int row, int column) const;
    Row row(int row) const;
    QString rowText(int row, const QString& separator) const;
    QStringList column(int column) const;
    // The column's cells joined by line feeds, as loaded into a text column.
    QString columnText(int column) const;
    // The same text as editor bytes: UTF-8, or Latin-1 with one "?" for every character outside it.
    QByteArray columnBytes(int column, bool unicode) const;
    // Every row joined by separator, the rows joined by line feeds.
    QString text(const QString& separator) const;

    // Accepted only as the first row or when it has exactly columnCount() cells.
    bool appendRow(const Row& cells);
    void clearCell(int row, int column);
    void removeRow(int row);
    void removeColumn(int column);
    // Remove several rows or columns in one pass; each index is wrapped against the present
    // counts and duplicates are removed once.
    void removeRows(const QList<int>& rows);
    void removeColumns(const QList<int>& columns);
    // Needs exactly one value per row.
    bool setColumn(int column, const QStringList& values);
    void reverseRow(int row);
    void reverseColumn(int column);
    void flipHorizontally();
    void flipVertically();
    // Quarter turns clockwise; negative turns go counter-clockwise.
    void rotate(int quarterTurns);
    // Positions must lie inside the table; they are not wrapped.
    bool swapCells(int column1, int row1, int column2, int row2);

    // These two let pending events run while they work. They return false, leaving the table as
    // it was, when stopped or when the table was changed meanwhile.
    // Drops every column whose cells all hold the same text; a single row is left alone.
    bool removeConstantColumns(const StopFunction& isStopRequested = StopFunction());
    // Joins the cells of each row into one item and lays the items out itemsPerRow to a row; the
    // last row may be shorter. Also false, changing nothing, for itemsPerRow < 1.
    bool regroup(int itemsPerRow, const StopFunction& isStopRequested = StopFunction());

    // The text of the box between two corners (in any order): masked-out cells read as empty,
    // cells are joined by a space and rows by line feeds. With align every cell is padded with
    // spaces to the longest cell of its column.
    QString selectionText(int row1, int column1, int row2, int column2, const Mask& mask, bool align) const;
    static Mask fullMask(int rows, int columns);

    // A cell's text as a byte range of the pool.
    struct Span
    {
        int start = 0;
        int length = 0;
    };

private:
    int wrapRow(int row) const;
    int wrapColumn(int column) const;
    std::string_view view(const Span& span) const
    {
        return std::string_view(m_pool.constData() + span.start, size_t(span.length));
    }
    std::string_view view(int row, int column) const { return view(m_cells.at(row * m_columnCount + column)); }
    QString string(const Span& span) const;
    // Takes a new grid and the pool its spans point into.
    void setCells(QVector<Span>&& cells, QVector<int>&& lengths, int columnCount, QByteArray&& pool,
                  bool poolHasSurrogates);
    // Takes the cells of a finished split; the source as a string or as pool bytes.
    void adopt(QVector<Span>&& cells, QVector<int>&& lengths, int columnCount, QByteArray&& pool,
               bool poolHasSurrogates, const QString& sourceText, const QByteArray& sourceBytes, const QString& filter,
               bool matchWholeWord);
    // The column's cells joined by line feeds, as pool bytes.
    QByteArray joinColumn(int column) const;
    Span store(const QString& text);
    // A short row only grows when it has to hold text; an empty text reads the same from a missing cell.
    void setSpan(int row, int column, const Span& span);
    void setCellText(int row, int column, const QString& text) { setSpan(row, column, store(text)); }
    // Narrows the grid to the longest row after rows or cells went.
    void updateColumnCount();
    // Rewrites the pool with only the text the cells use.
    void compactPool();
    bool sameCells(const CellTable& other) const;

    // Row-major, columnCount() spans a row; the cells past a row's length are empty.
    QVector<Span> m_cells;
    QVector<int> m_rowLengths;
    int m_columnCount = 0;
    // The text every span points into: the split text itself, or grown by the texts put in since.
    // UTF-8, except that a lone surrogate (which a string may hold and UTF-8 may not) takes the
    // three bytes it would take as a character, so that every string comes back as it was put in.
    QByteArray m_pool;
    // Whether such a lone surrogate may be in the pool.
    bool m_poolHasSurrogates = false;
    // The pool size after the last rewrite; edits may grow it to about twice that before the next.
    int m_poolBase = 0;
    // The split text: the string split() was given, or splitBytes() its bytes encoded as the pool.
    QString m_sourceText;
    QByteArray m_sourceBytes;
    QString m_filter;
    bool m_matchWholeWord = false;
};

Q_DECLARE_TYPEINFO(CellTable::Span, Q_PRIMITIVE_TYPE);
