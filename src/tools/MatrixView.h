#pragma once
// The grid in which the split and match tools show their cells: a context menu to copy, delete,
// rotate, flip and reverse them, and drag and drop to swap blocks of cells.

#include <QBitArray>
#include <QPointer>
#include <QTableView>
#include <QVector>

#include <functional>
#include <memory>

class CellTable;
class MatrixModel;
class QAction;
class QMenu;
class QMimeData;

class MatrixView : public QTableView
{
    Q_OBJECT

public:
    // The shape of the cells being dragged.
    struct DragMask
    {
        int rows = 0;
        int columns = 0;
        // One flag per box cell, row-major: whether that cell is dragged.
        QBitArray selected;
        // The pressed cell relative to the top-left corner of the box (column, row).
        QPoint offset;

        bool isEmpty() const { return rows <= 0 || columns <= 0; }
    };

    explicit MatrixView(QWidget* parent = nullptr);
    explicit MatrixView(std::shared_ptr<CellTable> table, QWidget* parent = nullptr);

    // The view and its model share the table, so replacing or dropping it elsewhere is safe.
    void setTable(std::shared_ptr<CellTable> table);
    std::shared_ptr<CellTable> table() const { return m_table; }
    MatrixModel* matrixModel() const { return m_model; }
    QMenu* contextMenu() const { return m_menu; }

    // Enables the menu entries for the present table and selection, as done when the menu opens.
    void updateActions();
    // Records the shape of the selection, pressed at pos (viewport coordinates), and returns the
    // data to drag (owned by the caller); nullptr when there is nothing to drag.
    QMimeData* prepareDrag(const QPoint& pos);
    const DragMask& dragMask() const { return m_dragMask; }
    // The cells the dragged block would cover with the cursor at pos (viewport coordinates), as
    // (column, row); empty when the box would not fit inside the table.
    QVector<QPoint> dropTargets(const QPoint& pos) const;

public slots:
    void removeRow();
    void removeColumn();
    void removeCell();
    void copyCell();
    void copyColumn();
    void copyRow();
    void copyAll();
    void reverseRow();
    void reverseColumn();
    void flipH();
    void flipV();
    void rotate();
    void onSwapColumns();
    void onSwapCells();
    void onSwapRows();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenu();
    QAction* makeAction(const QString& text, void (MatrixView::*slot)(), const QString& icon = QString());
    QModelIndexList selectedCells() const;
    // Sorted distinct rows or columns of the selection.
    QList<int> selectedLines(int (QModelIndex::*coordinate)() const) const;
    QList<int> selectedRows() const;
    QList<int> selectedColumns() const;
    void copyBox(int top, int left, int bottom, int right);
    // Runs change on the selected rows or columns and shows the result; nothing when none is selected.
    void applyToSelected(const QList<int>& indices, const std::function<void(const QList<int>&)>& change);
    bool acceptsDrag(const QMimeData* data) const;
    void changed();

    std::shared_ptr<CellTable> m_table;
    MatrixModel* m_model = nullptr;
    QMenu* m_menu = nullptr;
    DragMask m_dragMask;
    // The data of the drag started here, to refuse drags that come from elsewhere.
    QPointer<const QMimeData> m_dragData;
    QPoint m_pressPos;

    QAction* m_copyCell = nullptr;
    QAction* m_copyRow = nullptr;
    QAction* m_copyColumn = nullptr;
    QAction* m_copyAll = nullptr;
    QAction* m_removeCell = nullptr;
    QAction* m_removeRow = nullptr;
    QAction* m_removeColumn = nullptr;
    QAction* m_rotateClockwise = nullptr;
    QAction* m_rotateCounterClockwise = nullptr;
    QAction* m_rotateHalf = nullptr;
    QAction* m_flipH = nullptr;
    QAction* m_flipV = nullptr;
    QAction* m_reverseRow = nullptr;
    QAction* m_reverseColumn = nullptr;
};
