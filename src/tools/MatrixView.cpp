#include "tools/MatrixView.h"

#include "tools/CellTable.h"
#include "tools/MatrixModel.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

// The smallest box that holds every cell of a selection that is not empty.
void boundingBox(const QModelIndexList& cells, int* top, int* left, int* bottom, int* right)
{
    *top = INT_MAX;
    *left = INT_MAX;
    *bottom = -1;
    *right = -1;
    for (const QModelIndex& index : cells) {
        *top = std::min(*top, index.row());
        *left = std::min(*left, index.column());
        *bottom = std::max(*bottom, index.row());
        *right = std::max(*right, index.column());
    }
}

} // namespace

MatrixView::MatrixView(QWidget* parent) : MatrixView(nullptr, parent) {}

MatrixView::MatrixView(std::shared_ptr<CellTable> table, QWidget* parent) : QTableView(parent)
{
    setDragEnabled(true);
    setDropIndicatorShown(true);
    viewport()->setAcceptDrops(true);
    buildMenu();
    if (table)
        setTable(std::move(table));
}

void MatrixView::setTable(std::shared_ptr<CellTable> table)
{
    m_table = table;
    m_dragMask = DragMask();
    if (!m_model) {
        m_model = new MatrixModel(std::move(table), this);
        setModel(m_model);
    } else {
        m_model->setTable(std::move(table));
    }
}

QAction* MatrixView::makeAction(const QString& text, void (MatrixView::*slot)(), const QString& icon)
{
    QAction* action = icon.isEmpty() ? m_menu->addAction(text) : m_menu->addAction(QIcon(icon), text);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void MatrixView::buildMenu()
{
    m_menu = new QMenu(this);
    m_copyCell = makeAction(tr("&Copy"), &MatrixView::copyCell);
    m_copyRow = makeAction(tr("Copy row"), &MatrixView::copyRow);
    m_copyColumn = makeAction(tr("Copy column"), &MatrixView::copyColumn);
    m_copyAll = makeAction(tr("Copy &all"), &MatrixView::copyAll);
    m_menu->addSeparator();
    m_removeCell = makeAction(tr("&Delete"), &MatrixView::removeCell);
    m_removeRow = makeAction(tr("Delete r&ow"), &MatrixView::removeRow);
    m_removeColumn = makeAction(tr("Delete co&lumn"), &MatrixView::removeColumn);
    m_menu->addSeparator();
    m_rotateClockwise =
        makeAction(tr("&Rotate 90° clockwise"), &MatrixView::rotate, QStringLiteral(":/popmenu/images/rotate90.png"));
    m_rotateCounterClockwise = makeAction(tr("Rotate 90° counter-clockwise"), &MatrixView::rotate,
                                          QStringLiteral(":/popmenu/images/rotate270.png"));
    m_rotateHalf = makeAction(tr("Rotate 180°"), &MatrixView::rotate, QStringLiteral(":/popmenu/images/rotate180.png"));
    m_menu->addSeparator();
    m_flipH = makeAction(tr("Flip &Horizontally"), &MatrixView::flipH, QStringLiteral(":/popmenu/images/fliph.png"));
    m_flipV = makeAction(tr("Flip &Vertically"), &MatrixView::flipV, QStringLiteral(":/popmenu/images/flipv.png"));
    m_menu->addSeparator();
    m_reverseRow = makeAction(tr("Reverse row"), &MatrixView::reverseRow);
    m_reverseColumn = makeAction(tr("Reverse column"), &MatrixView::reverseColumn);
}

void MatrixView::updateActions()
{
    const bool hasSelection = !selectedCells().isEmpty();
    const int rows = m_table ? m_table->rowCount() : 0;
    const int columns = m_table ? m_table->columnCount() : 0;
    for (QAction* action : {m_copyCell, m_copyRow, m_copyColumn, m_removeCell, m_removeRow, m_removeColumn})
        action->setEnabled(hasSelection);
    for (QAction* action : {m_rotateClockwise, m_rotateCounterClockwise, m_rotateHalf})
        action->setEnabled(rows > 1 || columns > 1);
    m_flipH->setEnabled(columns > 1);
    m_flipV->setEnabled(rows > 1);
    m_copyAll->setEnabled(true);
    m_reverseRow->setEnabled(true);
    m_reverseColumn->setEnabled(true);
}

void MatrixView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_table)
        return;
    updateActions();
    m_menu->exec(event->globalPos());
}

QModelIndexList MatrixView::selectedCells() const
{
    if (!m_table || !selectionModel())
        return {};
    QModelIndexList cells = selectionModel()->selectedIndexes();
    // A selection can outlive a change of the table's shape until the next reset.
    cells.erase(std::remove_if(cells.begin(), cells.end(),
                               [this](const QModelIndex& index) {
                                   return index.row() >= m_table->rowCount() ||
                                          index.column() >= m_table->columnCount();
                               }),
                cells.end());
    return cells;
}

QList<int> MatrixView::selectedLines(int (QModelIndex::*coordinate)() const) const
{
    QList<int> lines;
    for (const QModelIndex& index : selectedCells())
        lines.append((index.*coordinate)());
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

QList<int> MatrixView::selectedRows() const
{
    return selectedLines(&QModelIndex::row);
}

QList<int> MatrixView::selectedColumns() const
{
    return selectedLines(&QModelIndex::column);
}

void MatrixView::changed()
{
    m_dragMask = DragMask();
    m_model->reset();
}

void MatrixView::copyBox(int top, int left, int bottom, int right)
{
    const CellTable::Mask mask = CellTable::fullMask(bottom - top + 1, right - left + 1);
    QGuiApplication::clipboard()->setText(m_table->selectionText(top, left, bottom, right, mask, false));
}

void MatrixView::copyCell()
{
    const QModelIndexList cells = selectedCells();
    if (cells.isEmpty())
        return;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    boundingBox(cells, &top, &left, &bottom, &right);
    CellTable::Mask mask(bottom - top + 1, QBitArray(right - left + 1));
    for (const QModelIndex& index : cells)
        mask[index.row() - top].setBit(index.column() - left);
    QGuiApplication::clipboard()->setText(m_table->selectionText(top, left, bottom, right, mask, false));
}

void MatrixView::copyRow()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty() || m_table->columnCount() == 0)
        return;
    copyBox(rows.first(), 0, rows.last(), m_table->columnCount() - 1);
}

void MatrixView::copyColumn()
{
    const QList<int> columns = selectedColumns();
    if (columns.isEmpty() || m_table->rowCount() == 0)
        return;
    copyBox(0, columns.first(), m_table->rowCount() - 1, columns.last());
}

void MatrixView::copyAll()
{
    if (!m_table)
        return;
    QGuiApplication::clipboard()->setText(m_table->text(QStringLiteral(" ")));
}

void MatrixView::removeCell()
{
    const QModelIndexList cells = selectedCells();
    if (cells.isEmpty())
        return;
    for (const QModelIndex& index : cells)
        m_table->clearCell(index.row(), index.column());
    changed();
}

void MatrixView::applyToSelected(const QList<int>& indices, const std::function<void(const QList<int>&)>& change)
{
    if (indices.isEmpty())
        return;
    change(indices);
    changed();
}

void MatrixView::removeRow()
{
    // The rows are taken from the present table at once, so no index shifts under the next one.
    applyToSelected(selectedRows(), [this](const QList<int>& rows) { m_table->removeRows(rows); });
}

void MatrixView::removeColumn()
{
    applyToSelected(selectedColumns(), [this](const QList<int>& columns) { m_table->removeColumns(columns); });
}

void MatrixView::reverseRow()
{
    applyToSelected(selectedRows(), [this](const QList<int>& rows) {
        for (const int row : rows)
            m_table->reverseRow(row);
    });
}

void MatrixView::reverseColumn()
{
    applyToSelected(selectedColumns(), [this](const QList<int>& columns) {
        for (const int column : columns)
            m_table->reverseColumn(column);
    });
}

void MatrixView::flipH()
{
    if (!m_table)
        return;
    m_table->flipHorizontally();
    changed();
}

void MatrixView::flipV()
{
    if (!m_table)
        return;
    m_table->flipVertically();
    changed();
}

void MatrixView::rotate()
{
    if (!m_table)
        return;
    const QObject* action = sender();
    int turns = 0;
    if (action == m_rotateClockwise)
        turns = 1;
    else if (action == m_rotateCounterClockwise)
        turns = 3;
    else if (action == m_rotateHalf)
        turns = 2;
    if (turns == 0)
        return;
    m_table->rotate(turns);
    changed();
}

// Swapping is done by drag and drop; these slots do nothing.
void MatrixView::onSwapColumns() {}
void MatrixView::onSwapCells() {}
void MatrixView::onSwapRows() {}

void MatrixView::mousePressEvent(QMouseEvent* event)
{
    m_pressPos = event->pos();
    QTableView::mousePressEvent(event);
}

QMimeData* MatrixView::prepareDrag(const QPoint& pos)
{
    m_dragMask = DragMask();
    m_dragData.clear();
    const QModelIndexList cells = selectedCells();
    if (cells.isEmpty())
        return nullptr;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    boundingBox(cells, &top, &left, &bottom, &right);
    DragMask mask;
    mask.rows = bottom - top + 1;
    mask.columns = right - left + 1;
    mask.selected = QBitArray(mask.rows * mask.columns);
    for (const QModelIndex& index : cells)
        mask.selected.setBit((index.row() - top) * mask.columns + index.column() - left);
    // A press outside the selection drags the box by its top-left corner.
    const QModelIndex pressed = indexAt(pos);
    if (pressed.isValid() && pressed.row() >= top && pressed.row() <= bottom && pressed.column() >= left &&
        pressed.column() <= right)
        mask.offset = QPoint(pressed.column() - left, pressed.row() - top);
    m_dragMask = mask;

    QMimeData* data = m_model->mimeData(cells);
    m_dragData = data;
    return data;
}

void MatrixView::startDrag(Qt::DropActions)
{
    QMimeData* data = prepareDrag(m_pressPos);
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    // The base class would remove the dragged rows after a move; here cells were swapped.
    m_model->setHighlight({});
    m_dragData.clear();
}

QVector<QPoint> MatrixView::dropTargets(const QPoint& pos) const
{
    if (!m_table || m_dragMask.isEmpty())
        return {};
    const QModelIndex under = indexAt(pos);
    if (!under.isValid())
        return {};
    const QPoint corner = QPoint(under.column(), under.row()) - m_dragMask.offset;
    if (corner.x() < 0 || corner.y() < 0 || corner.x() + m_dragMask.columns > m_table->columnCount() ||
        corner.y() + m_dragMask.rows > m_table->rowCount())
        return {};
    QVector<QPoint> targets;
    for (int r = 0; r < m_dragMask.rows; ++r) {
        for (int c = 0; c < m_dragMask.columns; ++c) {
            if (m_dragMask.selected.testBit(r * m_dragMask.columns + c))
                targets.append(corner + QPoint(c, r));
        }
    }
    return targets;
}

bool MatrixView::acceptsDrag(const QMimeData* data) const
{
    return m_table && data && data == m_dragData && data->hasFormat(MatrixModel::MimeType);
}

void MatrixView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!acceptsDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void MatrixView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!acceptsDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    const QVector<QPoint> targets = dropTargets(event->pos());
    m_model->setHighlight(targets);
    if (targets.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void MatrixView::dragLeaveEvent(QDragLeaveEvent* event)
{
    m_model->setHighlight({});
    event->accept();
}

void MatrixView::dropEvent(QDropEvent* event)
{
    if (!acceptsDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    // The targets are taken again at the drop position rather than trusted from the last move.
    m_model->setHighlight(dropTargets(event->pos()));
    if (!m_model->dropMimeData(event->mimeData(), Qt::MoveAction, -1, -1, QModelIndex())) {
        m_model->setHighlight({});
        event->ignore();
        return;
    }
    m_dragMask = DragMask();
    event->setDropAction(Qt::MoveAction);
    event->accept();
}
