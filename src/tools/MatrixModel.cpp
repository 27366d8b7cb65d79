#include "tools/MatrixModel.h"

#include "tools/CellBlockMove.h"
#include "tools/CellTable.h"

#include <QBrush>
#include <QColor>
#include <QDataStream>
#include <QMimeData>

#include <algorithm>
#include <utility>

const QString MatrixModel::MimeType = QStringLiteral("Matrix/Widget");

namespace {

const QColor HighlightColour(204, 204, 204);

bool byPosition(const QPoint& a, const QPoint& b)
{
    return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
}

} // namespace

MatrixModel::MatrixModel(std::shared_ptr<CellTable> table, QObject* parent)
    : QAbstractTableModel(parent), m_table(std::move(table))
{
}

void MatrixModel::setTable(std::shared_ptr<CellTable> table)
{
    beginResetModel();
    m_table = std::move(table);
    m_highlight.clear();
    endResetModel();
}

void MatrixModel::reset()
{
    beginResetModel();
    endResetModel();
}

void MatrixModel::setHighlight(const QVector<QPoint>& cells)
{
    if (cells == m_highlight)
        return;
    const QVector<QPoint> old = std::exchange(m_highlight, cells);
    QVector<QPoint> changed = old + cells;
    if (changed.isEmpty())
        return;
    int left = changed.first().x();
    int right = left;
    int top = changed.first().y();
    int bottom = top;
    for (const QPoint& p : qAsConst(changed)) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    // Positions from before a shrink of the table may lie outside it.
    right = std::min(right, columnCount() - 1);
    bottom = std::min(bottom, rowCount() - 1);
    if (left <= right && top <= bottom)
        emit dataChanged(index(top, left), index(bottom, right), {Qt::BackgroundRole});
}

bool MatrixModel::decodeCells(const QMimeData* data, QVector<QPoint>* cells)
{
    cells->clear();
    if (!data || !data->hasFormat(MimeType))
        return false;
    QByteArray bytes = data->data(MimeType);
    QDataStream stream(&bytes, QIODevice::ReadOnly);
    qint32 count = 0;
    stream >> count;
    // Eight bytes per cell: a count larger than the data can hold is damaged data.
    if (stream.status() != QDataStream::Ok || count < 0 || count > (bytes.size() - 4) / 8)
        return false;
    cells->reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        qint32 column = 0;
        qint32 row = 0;
        stream >> column >> row;
        cells->append(QPoint(column, row));
    }
    if (stream.status() != QDataStream::Ok) {
        cells->clear();
        return false;
    }
    return true;
}

bool MatrixModel::moveCells(const QVector<QPoint>& sources, const QVector<QPoint>& targets)
{
    if (!m_table || !CellBlockMove::apply(*m_table, sources, targets))
        return false;
    reset();
    return true;
}

int MatrixModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_table ? 0 : m_table->rowCount();
}

int MatrixModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_table ? 0 : m_table->columnCount();
}

QVariant MatrixModel::data(const QModelIndex& index, int role) const
{
    if (!m_table || !index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return m_table->cell(index.row(), index.column());
    case Qt::BackgroundRole:
        if (m_highlight.contains(QPoint(index.column(), index.row())))
            return QBrush(HighlightColour);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant MatrixModel::headerData(int section, Qt::Orientation, int role) const
{
    if (role == Qt::DisplayRole)
        return QString::number(section + 1);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

Qt::ItemFlags MatrixModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (index.isValid())
        result |= Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    return result;
}

QStringList MatrixModel::mimeTypes() const
{
    return {MimeType};
}

QMimeData* MatrixModel::mimeData(const QModelIndexList& indexes) const
{
    QVector<QPoint> cells;
    cells.reserve(indexes.size());
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && index.model() == this)
            cells.append(QPoint(index.column(), index.row()));
    }
    std::sort(cells.begin(), cells.end(), byPosition);
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());

    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << qint32(cells.size());
    for (const QPoint& cell : qAsConst(cells))
        stream << qint32(cell.x()) << qint32(cell.y());
    auto* data = new QMimeData;
    data->setData(MimeType, bytes);
    return data;
}

Qt::DropActions MatrixModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

Qt::DropActions MatrixModel::supportedDragActions() const
{
    return Qt::MoveAction;
}

bool MatrixModel::dropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&)
{
    QVector<QPoint> sources;
    if (!decodeCells(data, &sources) || sources.size() != m_highlight.size())
        return false;
    const QVector<QPoint> targets = m_highlight;
    const bool moved = moveCells(sources, targets);
    setHighlight({});
    return moved;
}
