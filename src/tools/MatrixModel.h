#pragma once
// Shows a cell table in a grid view and carries dragged cells as "Matrix/Widget" data, so that
// blocks of cells can be swapped by drag and drop.

#include <QAbstractTableModel>
#include <QPoint>
#include <QVector>

#include <memory>

class CellTable;

class MatrixModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static const QString MimeType;

    explicit MatrixModel(std::shared_ptr<CellTable> table = {}, QObject* parent = nullptr);

    // The model keeps the table alive for as long as it shows it.
    void setTable(std::shared_ptr<CellTable> table);
    std::shared_ptr<CellTable> table() const { return m_table; }
    // To be called after every change made to the table behind the model's back.
    void reset();

    // Cells painted as drop targets; positions are (column, row).
    void setHighlight(const QVector<QPoint>& cells);
    QVector<QPoint> highlight() const { return m_highlight; }

    // The dragged cells of "Matrix/Widget" data, as (column, row); false for data that is not ours
    // or is damaged.
    static bool decodeCells(const QMimeData* data, QVector<QPoint>* cells);
    // Moves the dragged block onto targets (one per dragged cell, same order) and resets.
    bool moveCells(const QVector<QPoint>& sources, const QVector<QPoint>& targets);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    // The targets are the highlighted cells the view set while the drag moved over it.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

private:
    std::shared_ptr<CellTable> m_table;
    QVector<QPoint> m_highlight;
};
