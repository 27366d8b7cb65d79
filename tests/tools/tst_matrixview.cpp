#include "TestSupport.h"
#include "tools/CellTable.h"
#include "tools/MatrixModel.h"
#include "tools/MatrixView.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <memory>

// Tables are written as rows split by line feeds, cells by single spaces.
static const QString Grid = QStringLiteral("a b c\nd e f\ng h i");
static std::shared_ptr<CellTable> makeTable(const QString& text)
{
    auto table = std::make_shared<CellTable>();
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        table->appendRow(line.split(QLatin1Char(' ')));
    return table;
}

static QAction* actionNamed(const MatrixView& view, const QString& text)
{
    const QList<QAction*> actions = view.contextMenu()->actions();
    const auto it = std::find_if(actions.begin(), actions.end(), [&](QAction* a) { return a->text() == text; });
    return it == actions.end() ? nullptr : *it;
}

// Cells are (column, row) throughout.
static void selectCells(MatrixView& view, const QVector<QPoint>& cells)
{
    for (const QPoint& cell : cells)
        view.selectionModel()->select(view.model()->index(cell.y(), cell.x()), QItemSelectionModel::Select);
}

static QPoint centre(const MatrixView& view, QPoint cell)
{
    return view.visualRect(view.model()->index(cell.y(), cell.x())).center();
}

// Sends a drag event carrying data over the cell; true when the view accepts it.
template <typename DragEvent> static bool drag(MatrixView& view, const QMimeData* data, QPoint cell)
{
    DragEvent event(centre(view, cell), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &event);
    return event.isAccepted();
}

class TestMatrixView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void enableRules_data()
    {
        // Enabled groups: S needs a selection, R rotations, H and V flips, A always enabled.
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("enabled");
        QTest::addRow("no cells") << "" << false << "A";
        QTest::addRow("one cell, selected") << "a" << true << "SA";
        QTest::addRow("one row") << "a b c" << false << "RHA";
        QTest::addRow("one column, selected") << "a\nb" << true << "SRVA";
        QTest::addRow("two by two, selected") << "a b\nc d" << true << "SRHVA";
    }
    void enableRules()
    {
        QFETCH(QString, table);
        QFETCH(bool, select);
        QFETCH(QString, enabled);
        const QHash<QString, QChar> group{{"&Copy", 'S'},
                                          {"Copy row", 'S'},
                                          {"Copy column", 'S'},
                                          {"&Delete", 'S'},
                                          {"Delete r&ow", 'S'},
                                          {"Delete co&lumn", 'S'},
                                          {"&Rotate 90° clockwise", 'R'},
                                          {"Rotate 90° counter-clockwise", 'R'},
                                          {"Rotate 180°", 'R'},
                                          {"Flip &Horizontally", 'H'},
                                          {"Flip &Vertically", 'V'},
                                          {"Copy &all", 'A'},
                                          {"Reverse row", 'A'},
                                          {"Reverse column", 'A'}};
        MatrixView view(makeTable(table));
        selectCells(view, select ? QVector<QPoint>{QPoint(0, 0)} : QVector<QPoint>());
        const QList<QAction*> actions = view.contextMenu()->actions();
        // Each entry starts in the state opposite to the expected one, so that a rule never applied shows.
        for (QAction* action : actions)
            action->setEnabled(!enabled.contains(group.value(action->text())));
        view.updateActions();
        for (QAction* action : actions) {
            if (action->isSeparator())
                continue;
            const QString text = action->text();
            QVERIFY2(group.contains(text), qPrintable(text));
            QCOMPARE(action->text() + (action->isEnabled() ? " on" : " off"),
                     text + (enabled.contains(group.value(text)) ? " on" : " off"));
        }
    }

    void commands_data()
    {
        QTest::addColumn<QVector<QPoint>>("cells");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("table");
        const QString none = QStringLiteral("untouched");
        using Cells = QVector<QPoint>;
        QTest::addRow("copy two cells") << Cells{QPoint(0, 0), QPoint(1, 1)} << "&Copy"
                                        << "a \n e" << Grid;
        QTest::addRow("copy rows and the rows between")
            << Cells{QPoint(2, 2), QPoint(1, 0)} << "Copy row" << Grid << Grid;
        QTest::addRow("copy columns") << Cells{QPoint(2, 0), QPoint(1, 2)} << "Copy column"
                                      << "b c\ne f\nh i" << Grid;
        QTest::addRow("copy all") << Cells{} << "Copy &all" << Grid << Grid;
        QTest::addRow("copy without selection") << Cells{} << "&Copy" << none << Grid;
        QTest::addRow("delete cells") << Cells{QPoint(1, 1), QPoint(2, 0)} << "&Delete" << none << "a b \nd  f\ng h i";
        QTest::addRow("delete rows") << Cells{QPoint(0, 2), QPoint(1, 0)} << "Delete r&ow" << none << "d e f";
        QTest::addRow("delete columns") << Cells{QPoint(2, 0), QPoint(0, 1)} << "Delete co&lumn" << none << "b\ne\nh";
        QTest::addRow("reverse rows") << Cells{QPoint(0, 2), QPoint(1, 0)} << "Reverse row" << none
                                      << "c b a\nd e f\ni h g";
        QTest::addRow("reverse columns") << Cells{QPoint(2, 0), QPoint(0, 1)} << "Reverse column" << none
                                         << "g b i\nd e f\na h c";
        QTest::addRow("rotate counter-clockwise")
            << Cells{} << "Rotate 90° counter-clockwise" << none << "c f i\nb e h\na d g";
    }
    void commands()
    {
        QFETCH(QVector<QPoint>, cells);
        QFETCH(QString, action);
        QFETCH(QString, clipboard);
        QFETCH(QString, table);
        const QString none = QStringLiteral("untouched");
        MatrixView view(makeTable(Grid));
        selectCells(view, cells);
        QGuiApplication::clipboard()->setText(none);
        QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
        QAction* entry = actionNamed(view, action);
        QVERIFY2(entry, qPrintable(action));
        entry->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
        QCOMPARE(view.table()->text(QStringLiteral(" ")), table);
        QCOMPARE(resets.count(), table == Grid ? 0 : 1); // the grid follows every change
    }

    // Drags the cells, pressed on one cell, to another; whether the block fits there, the result.
    void dragSwap_data()
    {
        QTest::addColumn<QVector<QPoint>>("cells");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("table");
        using Cells = QVector<QPoint>;
        QTest::addRow("selected right to left") << Cells{QPoint(1, 0), QPoint(0, 0)} << QPoint(0, 0) << QPoint(0, 2)
                                                << true << "g h c\nd e f\na b i" << Grid;
        QTest::addRow("overlapping, held right") << Cells{QPoint(0, 0), QPoint(1, 0)} << QPoint(1, 0) << QPoint(2, 0)
                                                 << true << "c a b\nd e f\ng h i" << Grid;
        QTest::addRow("a box with a gap") << Cells{QPoint(0, 0), QPoint(1, 1)} << QPoint(0, 0) << QPoint(1, 1) << true
                                          << "i b c\nd a f\ng h e" << Grid;
        QTest::addRow("one row, shifted")
            << Cells{QPoint(0, 0), QPoint(1, 0), QPoint(2, 0)} << QPoint(0, 0) << QPoint(1, 0) << true << "d a b c"
            << "a b c d";
        QTest::addRow("sticks out right")
            << Cells{QPoint(0, 0), QPoint(1, 0)} << QPoint(0, 0) << QPoint(2, 0) << false << Grid << Grid;
        QTest::addRow("sticks out above")
            << Cells{QPoint(0, 1), QPoint(0, 2)} << QPoint(0, 2) << QPoint(0, 0) << false << Grid << Grid;
    }
    void dragSwap()
    {
        QFETCH(QVector<QPoint>, cells);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(bool, fits);
        QFETCH(QString, result);
        QFETCH(QString, table);
        MatrixView view;
        view.setTable(makeTable(table));
        selectCells(view, cells);
        const std::unique_ptr<QMimeData> data(view.prepareDrag(centre(view, from)));
        QVERIFY(data);
        QCOMPARE(data->hasFormat(QStringLiteral("Matrix/Widget")), true);
        QVector<QPoint> targets;
        for (const QPoint& cell : cells)
            targets.append(cell + to - from);
        QVERIFY(drag<QDragEnterEvent>(view, data.get(), from));
        QCOMPARE(drag<QDragMoveEvent>(view, data.get(), to), fits);
        QCOMPARE(view.matrixModel()->highlight().size(), fits ? targets.size() : 0);
        for (const QPoint& cell : targets)
            QCOMPARE(view.model()->index(cell.y(), cell.x()).data(Qt::BackgroundRole).isValid(), fits);
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(view.viewport(), &leave);
        QVERIFY(view.matrixModel()->highlight().isEmpty());
        QVERIFY(drag<QDragEnterEvent>(view, data.get(), from)); // back in; the drop finds its own targets
        QCOMPARE(drag<QDropEvent>(view, data.get(), to), fits);
        QCOMPARE(view.table()->text(QStringLiteral(" ")), result);
        QVERIFY(view.matrixModel()->highlight().isEmpty());
    }

    void foreignDragRefused()
    {
        MatrixView view(makeTable(Grid));
        // Cells in the right format that this view did not start dragging are refused.
        selectCells(view, {QPoint(0, 0)});
        const std::unique_ptr<QMimeData> own(view.prepareDrag(centre(view, {0, 0})));
        const std::unique_ptr<QMimeData> foreign(view.model()->mimeData({view.model()->index(0, 0)}));
        QVERIFY(!drag<QDragEnterEvent>(view, foreign.get(), {1, 1}));
        QVERIFY(drag<QDragEnterEvent>(view, own.get(), {1, 1})); // so that the drop below reaches the view
        QVERIFY(!drag<QDropEvent>(view, foreign.get(), {1, 1}));
        QCOMPARE(view.table()->text(QStringLiteral(" ")), Grid);
    }
};

QTEST_MAIN(TestMatrixView)
#include "tst_matrixview.moc"
