#include "TestSupport.h"

#include "tools/CellBlockMove.h"
#include "tools/CellTable.h"
#include "tools/MatrixModel.h"
#include "tools/MatrixView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QContextMenuEvent>
#include <QDataStream>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// Rows separated by line feeds, cells by single spaces (so "a  c" has an empty middle cell).
std::shared_ptr<CellTable> makeTable(const QString& text)
{
    auto table = std::make_shared<CellTable>();
    if (text.isEmpty())
        return table;
    for (const QString& line : text.split(QLatin1Char('\n')))
        table->appendRow(line.split(QLatin1Char(' ')));
    return table;
}

QAction* actionNamed(const MatrixView& view, const QString& text)
{
    for (QAction* action : view.contextMenu()->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

void selectCells(MatrixView& view, const QVector<QPoint>& cells)
{
    view.selectionModel()->clearSelection();
    for (const QPoint& cell : cells)
        view.selectionModel()->select(view.model()->index(cell.y(), cell.x()), QItemSelectionModel::Select);
}

QPoint centreOf(const MatrixView& view, int row, int column)
{
    return view.visualRect(view.model()->index(row, column)).center();
}

// The application hands move and drop events only to the widget that accepted the drag's entry.
bool enterDrag(MatrixView& view, const QPoint& at, const QMimeData* data)
{
    QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &enter);
    return enter.isAccepted();
}

const QStringList selectionActions = {
    QStringLiteral("&Copy"),    QStringLiteral("Copy row"),    QStringLiteral("Copy column"),
    QStringLiteral("&Delete"), QStringLiteral("Delete r&ow"), QStringLiteral("Delete co&lumn"),
};
const QStringList rotateActions = {
    QString::fromUtf8("&Rotate 90° clockwise"),
    QString::fromUtf8("Rotate 90° counter-clockwise"),
    QString::fromUtf8("Rotate 180°"),
};
const QStringList alwaysActions = {QStringLiteral("Copy &all"), QStringLiteral("Reverse row"),
                                   QStringLiteral("Reverse column")};

} // namespace

class TestMatrixView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void modelQueries();
    void highlightSignalsChangedBox();
    void mimeDataRoundTrip();
    void damagedMimeDataIsRefused();

    void menuEntries();
    void enableRules_data();
    void enableRules();
    void contextMenuOpensOnlyWithTable();

    void commands_data();
    void commands();
    void copyWithoutSelectionKeepsClipboard();
    void slotsWithoutTableDoNothing();

    void dragSwap_data();
    void dragSwap();
    void foreignDragIsRefused();
    void blockMovePreservesCells();

    void replacingTheTable();
};

void TestMatrixView::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
}

void TestMatrixView::modelQueries()
{
    MatrixModel empty;
    QCOMPARE(empty.rowCount(), 0);
    QCOMPARE(empty.columnCount(), 0);

    MatrixModel model(makeTable(QStringLiteral("a b c\nd e f")));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("f"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("b"));
    QVERIFY(!model.data(model.index(0, 1), Qt::EditRole).isValid());
    QVERIFY(!model.data(model.index(0, 1), Qt::BackgroundRole).isValid());
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("1"));
    QCOMPARE(model.headerData(11, Qt::Vertical).toString(), QStringLiteral("12"));
    QCOMPARE(model.headerData(3, Qt::Vertical, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QVERIFY(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsDragEnabled));
    QVERIFY(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsDropEnabled));
    QVERIFY(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsSelectable));
    QVERIFY(!model.flags(QModelIndex()).testFlag(Qt::ItemIsDragEnabled));
    QCOMPARE(model.mimeTypes(), QStringList{QStringLiteral("Matrix/Widget")});

    model.setHighlight({QPoint(2, 0)});
    QCOMPARE(qvariant_cast<QBrush>(model.data(model.index(0, 2), Qt::BackgroundRole)).color(), QColor(204, 204, 204));
    QVERIFY(!model.data(model.index(0, 1), Qt::BackgroundRole).isValid());

    // A change made to the table behind the model's back shows after reset.
    model.table()->removeRow(0);
    model.reset();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("d"));
}

void TestMatrixView::highlightSignalsChangedBox()
{
    MatrixModel model(makeTable(QStringLiteral("a b c\nd e f\ng h i")));
    QSignalSpy spy(&model, &MatrixModel::dataChanged);
    model.setHighlight({QPoint(0, 0)});
    model.setHighlight({QPoint(2, 1), QPoint(1, 2)});
    QCOMPARE(spy.count(), 2);
    // The second signal spans the old and the new highlights together.
    const QModelIndex topLeft = spy.at(1).at(0).toModelIndex();
    const QModelIndex bottomRight = spy.at(1).at(1).toModelIndex();
    QCOMPARE(topLeft, model.index(0, 0));
    QCOMPARE(bottomRight, model.index(2, 2));
    model.setHighlight({QPoint(2, 1), QPoint(1, 2)});
    QCOMPARE(spy.count(), 2);
}

void TestMatrixView::mimeDataRoundTrip()
{
    MatrixModel model(makeTable(QStringLiteral("a b c\nd e f\ng h i")));
    const std::unique_ptr<QMimeData> data(
        model.mimeData({model.index(2, 0), model.index(0, 2), model.index(1, 1), model.index(0, 2)}));
    QVERIFY(data->hasFormat(QStringLiteral("Matrix/Widget")));

    QByteArray bytes = data->data(QStringLiteral("Matrix/Widget"));
    QDataStream stream(&bytes, QIODevice::ReadOnly);
    qint32 count = 0;
    stream >> count;
    QCOMPARE(count, 3);
    QVector<QPoint> written;
    for (int i = 0; i < count; ++i) {
        qint32 column = 0;
        qint32 row = 0;
        stream >> column >> row;
        written.append(QPoint(column, row));
    }
    QCOMPARE(stream.status(), QDataStream::Ok);
    QVERIFY(stream.atEnd());
    const QVector<QPoint> sorted = {QPoint(2, 0), QPoint(1, 1), QPoint(0, 2)};
    QCOMPARE(written, sorted);

    QVector<QPoint> decoded;
    QVERIFY(MatrixModel::decodeCells(data.get(), &decoded));
    QCOMPARE(decoded, sorted);
}

void TestMatrixView::damagedMimeDataIsRefused()
{
    MatrixModel model(makeTable(QStringLiteral("a b\nc d")));
    QByteArray bytes;
    {
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << qint32(1000000) << qint32(0) << qint32(0);
    }
    QMimeData data;
    data.setData(QStringLiteral("Matrix/Widget"), bytes);
    QVector<QPoint> cells;
    QVERIFY(!MatrixModel::decodeCells(&data, &cells));
    QVERIFY(cells.isEmpty());

    QMimeData text;
    text.setText(QStringLiteral("a"));
    QVERIFY(!MatrixModel::decodeCells(&text, &cells));

    // A count that does not match the targets changes nothing.
    const std::unique_ptr<QMimeData> two(model.mimeData({model.index(0, 0), model.index(0, 1)}));
    model.setHighlight({QPoint(0, 1)});
    QVERIFY(!model.dropMimeData(two.get(), Qt::MoveAction, -1, -1, QModelIndex()));
    QCOMPARE(model.table()->text(QStringLiteral(" ")), QStringLiteral("a b\nc d"));
}

void TestMatrixView::menuEntries()
{
    MatrixView view;
    QStringList texts;
    for (const QAction* action : view.contextMenu()->actions()) {
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        QVERIFY(action->shortcut().isEmpty());
    }
    const QStringList expected = {
        QStringLiteral("&Copy"),
        QStringLiteral("Copy row"),
        QStringLiteral("Copy column"),
        QStringLiteral("Copy &all"),
        QStringLiteral("-"),
        QStringLiteral("&Delete"),
        QStringLiteral("Delete r&ow"),
        QStringLiteral("Delete co&lumn"),
        QStringLiteral("-"),
        rotateActions.at(0),
        rotateActions.at(1),
        rotateActions.at(2),
        QStringLiteral("-"),
        QStringLiteral("Flip &Horizontally"),
        QStringLiteral("Flip &Vertically"),
        QStringLiteral("-"),
        QStringLiteral("Reverse row"),
        QStringLiteral("Reverse column"),
    };
    QCOMPARE(texts, expected);
}

void TestMatrixView::enableRules_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("select");
    QTest::addColumn<bool>("rotate");
    QTest::addColumn<bool>("flipH");
    QTest::addColumn<bool>("flipV");

    QTest::newRow("empty table") << QString() << false << false << false << false;
    QTest::newRow("one cell, selected") << QStringLiteral("a") << true << false << false << false;
    QTest::newRow("one row") << QStringLiteral("a b c") << false << true << true << false;
    QTest::newRow("one column, selected") << QStringLiteral("a\nb") << true << true << false << true;
    QTest::newRow("square") << QStringLiteral("a b\nc d") << true << true << true << true;
}

void TestMatrixView::enableRules()
{
    QFETCH(QString, table);
    QFETCH(bool, select);
    QFETCH(bool, rotate);
    QFETCH(bool, flipH);
    QFETCH(bool, flipV);

    MatrixView view(makeTable(table));
    // Start from the opposite state so that a rule that is never applied shows.
    for (QAction* action : view.contextMenu()->actions())
        action->setEnabled(false);
    if (select)
        selectCells(view, {QPoint(0, 0)});
    view.updateActions();

    for (const QString& text : selectionActions)
        QCOMPARE(actionNamed(view, text)->isEnabled(), select);
    for (const QString& text : rotateActions)
        QCOMPARE(actionNamed(view, text)->isEnabled(), rotate);
    QCOMPARE(actionNamed(view, QStringLiteral("Flip &Horizontally"))->isEnabled(), flipH);
    QCOMPARE(actionNamed(view, QStringLiteral("Flip &Vertically"))->isEnabled(), flipV);
    for (const QString& text : alwaysActions)
        QVERIFY(actionNamed(view, text)->isEnabled());
}

void TestMatrixView::contextMenuOpensOnlyWithTable()
{
    MatrixView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QPoint pos(10, 10);
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view.viewport()->mapToGlobal(pos));
        QCoreApplication::sendEvent(view.viewport(), &event);
        QVERIFY(!view.contextMenu()->isVisible());
    }

    view.setTable(makeTable(QStringLiteral("a b c")));
    selectCells(view, {QPoint(1, 0)});
    bool opened = false;
    bool copyEnabled = false;
    bool flipVEnabled = true;
    QTimer closer;
    closer.setInterval(20);
    connect(&closer, &QTimer::timeout, &view, [&] {
        if (QApplication::activePopupWidget() == view.contextMenu()) {
            opened = true;
            copyEnabled = actionNamed(view, QStringLiteral("&Copy"))->isEnabled();
            flipVEnabled = actionNamed(view, QStringLiteral("Flip &Vertically"))->isEnabled();
            view.contextMenu()->close();
            closer.stop();
        }
    });
    closer.start();
    QContextMenuEvent event(QContextMenuEvent::Mouse, centreOf(view, 0, 1),
                            view.viewport()->mapToGlobal(centreOf(view, 0, 1)));
    QCoreApplication::sendEvent(view.viewport(), &event);
    QVERIFY(opened);
    QVERIFY(copyEnabled);
    QVERIFY(!flipVEnabled);
}

void TestMatrixView::commands_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QVector<QPoint>>("selection");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expectedTable");
    QTest::addColumn<QString>("expectedClipboard");

    const QString grid = QStringLiteral("a b c\nd e f\ng h i");
    const QString none; // clipboard not checked

    QTest::newRow("copy one cell") << grid << QVector<QPoint>{QPoint(1, 1)} << QStringLiteral("&Copy") << grid
                                   << QStringLiteral("e");
    QTest::newRow("copy scattered cells") << grid << QVector<QPoint>{QPoint(0, 0), QPoint(1, 1)}
                                          << QStringLiteral("&Copy") << grid << QStringLiteral("a \n e");
    QTest::newRow("copy row") << grid << QVector<QPoint>{QPoint(1, 1)} << QStringLiteral("Copy row") << grid
                              << QStringLiteral("d e f");
    QTest::newRow("copy rows between") << grid << QVector<QPoint>{QPoint(2, 2), QPoint(1, 0)}
                                       << QStringLiteral("Copy row") << grid << grid;
    QTest::newRow("copy column") << grid << QVector<QPoint>{QPoint(1, 2)} << QStringLiteral("Copy column") << grid
                                 << QStringLiteral("b\ne\nh");
    QTest::newRow("copy columns between") << grid << QVector<QPoint>{QPoint(2, 0), QPoint(1, 2)}
                                          << QStringLiteral("Copy column") << grid << QStringLiteral("b c\ne f\nh i");
    QTest::newRow("copy all") << grid << QVector<QPoint>{} << QStringLiteral("Copy &all") << grid << grid;

    QTest::newRow("delete keeps the cell") << grid << QVector<QPoint>{QPoint(1, 1), QPoint(2, 0)}
                                           << QStringLiteral("&Delete") << QStringLiteral("a b \nd  f\ng h i")
                                           << none;
    QTest::newRow("delete rows 5 and 2")
        << QStringLiteral("0 x\n1 x\n2 x\n3 x\n4 x\n5 x") << QVector<QPoint>{QPoint(0, 5), QPoint(1, 2)}
        << QStringLiteral("Delete r&ow") << QStringLiteral("0 x\n1 x\n3 x\n4 x") << none;
    QTest::newRow("delete columns") << grid << QVector<QPoint>{QPoint(2, 0), QPoint(0, 1), QPoint(0, 2)}
                                    << QStringLiteral("Delete co&lumn") << QStringLiteral("b\ne\nh") << none;
    QTest::newRow("reverse rows") << grid << QVector<QPoint>{QPoint(1, 2), QPoint(0, 0), QPoint(2, 2)}
                                  << QStringLiteral("Reverse row") << QStringLiteral("c b a\nd e f\ni h g") << none;
    QTest::newRow("reverse column") << grid << QVector<QPoint>{QPoint(1, 1)} << QStringLiteral("Reverse column")
                                    << QStringLiteral("a h c\nd e f\ng b i") << none;
    QTest::newRow("reverse without selection") << grid << QVector<QPoint>{} << QStringLiteral("Reverse row") << grid
                                               << none;
    QTest::newRow("flip horizontally") << grid << QVector<QPoint>{} << QStringLiteral("Flip &Horizontally")
                                       << QStringLiteral("c b a\nf e d\ni h g") << none;
    QTest::newRow("flip vertically") << grid << QVector<QPoint>{} << QStringLiteral("Flip &Vertically")
                                     << QStringLiteral("g h i\nd e f\na b c") << none;
    QTest::newRow("rotate clockwise") << QStringLiteral("a b c\nd e f") << QVector<QPoint>{} << rotateActions.at(0)
                                      << QStringLiteral("d a\ne b\nf c") << none;
    QTest::newRow("rotate counter-clockwise") << QStringLiteral("a b c\nd e f") << QVector<QPoint>{}
                                              << rotateActions.at(1) << QStringLiteral("c f\nb e\na d") << none;
    QTest::newRow("rotate half") << QStringLiteral("a b c\nd e f") << QVector<QPoint>{} << rotateActions.at(2)
                                 << QStringLiteral("f e d\nc b a") << none;
}

void TestMatrixView::commands()
{
    QFETCH(QString, table);
    QFETCH(QVector<QPoint>, selection);
    QFETCH(QString, action);
    QFETCH(QString, expectedTable);
    QFETCH(QString, expectedClipboard);

    MatrixView view(makeTable(table));
    selectCells(view, selection);
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    QAction* command = actionNamed(view, action);
    QVERIFY(command);
    command->trigger();

    QCOMPARE(view.table()->text(QStringLiteral(" ")), expectedTable);
    // The grid follows the table.
    QCOMPARE(view.model()->rowCount(), view.table()->rowCount());
    QCOMPARE(view.model()->columnCount(), view.table()->columnCount());
    if (view.table()->rowCount() > 0)
        QCOMPARE(view.model()->index(0, 0).data().toString(), view.table()->cell(0, 0));
    if (!expectedClipboard.isNull())
        QCOMPARE(QGuiApplication::clipboard()->text(), expectedClipboard);
}

void TestMatrixView::copyWithoutSelectionKeepsClipboard()
{
    MatrixView view(makeTable(QStringLiteral("a b\nc d")));
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    view.copyCell();
    view.copyRow();
    view.copyColumn();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
}

void TestMatrixView::slotsWithoutTableDoNothing()
{
    MatrixView view;
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    for (QAction* action : view.contextMenu()->actions())
        action->trigger();
    view.onSwapCells();
    view.onSwapColumns();
    view.onSwapRows();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    QVERIFY(!view.table());
    QVERIFY(!view.prepareDrag(QPoint(1, 1)));
}

void TestMatrixView::dragSwap_data()
{
    QTest::addColumn<QVector<QPoint>>("selection");
    QTest::addColumn<QPoint>("pressed");
    QTest::addColumn<QPoint>("dropped");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("expected");

    const QString grid = QStringLiteral("a b c\nd e f\ng h i");
    QTest::newRow("one cell") << QVector<QPoint>{QPoint(0, 0)} << QPoint(0, 0) << QPoint(2, 2) << true
                              << QStringLiteral("i b c\nd e f\ng h a");
    QTest::newRow("apart blocks") << QVector<QPoint>{QPoint(0, 0), QPoint(1, 0)} << QPoint(0, 0) << QPoint(0, 2)
                                  << true << QStringLiteral("g h c\nd e f\na b i");
    QTest::newRow("overlap sideways") << QVector<QPoint>{QPoint(0, 0), QPoint(1, 0)} << QPoint(0, 0) << QPoint(1, 0)
                                      << true << QStringLiteral("c a b\nd e f\ng h i");
    QTest::newRow("overlap, held by its right cell") << QVector<QPoint>{QPoint(0, 0), QPoint(1, 0)} << QPoint(1, 0)
                                                     << QPoint(2, 0) << true << QStringLiteral("c a b\nd e f\ng h i");
    QTest::newRow("overlap upwards") << QVector<QPoint>{QPoint(2, 1), QPoint(2, 2)} << QPoint(2, 2) << QPoint(2, 1)
                                     << true << QStringLiteral("a b f\nd e i\ng h c");
    QTest::newRow("overlap diagonally")
        << QVector<QPoint>{QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)} << QPoint(0, 0) << QPoint(1, 1)
        << true << QStringLiteral("i f c\nh a b\ng d e");
    QTest::newRow("masked box") << QVector<QPoint>{QPoint(0, 0), QPoint(1, 1)} << QPoint(0, 0) << QPoint(1, 1) << true
                                << QStringLiteral("i b c\nd a f\ng h e");
    QTest::newRow("onto itself") << QVector<QPoint>{QPoint(1, 1)} << QPoint(1, 1) << QPoint(1, 1) << true << grid;
    QTest::newRow("sticks out right") << QVector<QPoint>{QPoint(0, 0), QPoint(1, 0)} << QPoint(0, 0) << QPoint(2, 0)
                                      << false << grid;
    QTest::newRow("sticks out below") << QVector<QPoint>{QPoint(0, 0), QPoint(0, 1)} << QPoint(0, 0) << QPoint(0, 2)
                                      << false << grid;
    QTest::newRow("sticks out above") << QVector<QPoint>{QPoint(0, 0), QPoint(0, 1)} << QPoint(0, 1) << QPoint(2, 0)
                                      << false << grid;
    // The unselected corner of the box must fit as well.
    QTest::newRow("empty part sticks out") << QVector<QPoint>{QPoint(0, 0), QPoint(1, 1)} << QPoint(0, 0)
                                           << QPoint(2, 1) << false << grid;
}

void TestMatrixView::dragSwap()
{
    QFETCH(QVector<QPoint>, selection);
    QFETCH(QPoint, pressed);
    QFETCH(QPoint, dropped);
    QFETCH(bool, accepted);
    QFETCH(QString, expected);

    MatrixView view(makeTable(QStringLiteral("a b c\nd e f\ng h i")));
    view.resize(500, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    selectCells(view, selection);

    const std::unique_ptr<QMimeData> data(view.prepareDrag(centreOf(view, pressed.y(), pressed.x())));
    QVERIFY(data);
    const QPoint at = centreOf(view, dropped.y(), dropped.x());
    QVERIFY(enterDrag(view, centreOf(view, pressed.y(), pressed.x()), data.get()));

    QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &move);
    QCOMPARE(move.isAccepted(), accepted);
    const QVector<QPoint> highlight = view.matrixModel()->highlight();
    QCOMPARE(highlight.size(), accepted ? selection.size() : 0);
    for (const QPoint& cell : highlight) {
        QCOMPARE(qvariant_cast<QBrush>(view.model()->index(cell.y(), cell.x()).data(Qt::BackgroundRole)).color(),
                 QColor(204, 204, 204));
    }

    QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &drop);
    QCOMPARE(drop.isAccepted(), accepted);
    if (accepted)
        QCOMPARE(drop.dropAction(), Qt::MoveAction);
    QCOMPARE(view.table()->text(QStringLiteral(" ")), expected);
    QCOMPARE(view.model()->index(0, 0).data().toString(), view.table()->cell(0, 0));
    QVERIFY(view.matrixModel()->highlight().isEmpty());
}

void TestMatrixView::foreignDragIsRefused()
{
    MatrixView view(makeTable(QStringLiteral("a b\nc d")));
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    selectCells(view, {QPoint(0, 0)});
    const std::unique_ptr<QMimeData> own(view.prepareDrag(centreOf(view, 0, 0)));
    const QPoint at = centreOf(view, 1, 1);
    QVERIFY(enterDrag(view, at, own.get()));

    // Cells of the right format that this view did not start dragging.
    const std::unique_ptr<QMimeData> foreign(view.model()->mimeData({view.model()->index(0, 0)}));
    QVERIFY(!enterDrag(view, at, foreign.get()));
    QDragMoveEvent move(at, Qt::MoveAction, foreign.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &move);
    QVERIFY(!move.isAccepted());
    QDropEvent drop(at, Qt::MoveAction, foreign.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &drop);
    QVERIFY(!drop.isAccepted());

    QMimeData text;
    text.setText(QStringLiteral("x"));
    QDropEvent textDrop(at, Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &textDrop);
    QVERIFY(!textDrop.isAccepted());
    QCOMPARE(view.table()->text(QStringLiteral(" ")), QStringLiteral("a b\nc d"));
}

// Random blocks moved by random offsets inside random tables: the block lands on its target, cells
// outside both boxes stay, and no text is lost or doubled.
void TestMatrixView::blockMovePreservesCells()
{
    QRandomGenerator random(20261207);
    for (int round = 0; round < 300; ++round) {
        const int rows = 1 + random.bounded(6);
        const int columns = 1 + random.bounded(6);
        CellTable table;
        for (int r = 0; r < rows; ++r) {
            CellTable::Row row;
            for (int c = 0; c < columns; ++c)
                row.append(QStringLiteral("%1:%2").arg(r).arg(c));
            table.appendRow(row);
        }
        const CellTable before = table;

        const int height = 1 + random.bounded(rows);
        const int width = 1 + random.bounded(columns);
        const QPoint from(random.bounded(columns - width + 1), random.bounded(rows - height + 1));
        const QPoint to(random.bounded(columns - width + 1), random.bounded(rows - height + 1));
        QVector<QPoint> sources;
        QVector<QPoint> targets;
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                if (random.bounded(3) != 0 || (sources.isEmpty() && r == height - 1 && c == width - 1)) {
                    sources.append(from + QPoint(c, r));
                    targets.append(to + QPoint(c, r));
                }
            }
        }
        QVERIFY(CellBlockMove::apply(table, sources, targets));

        QStringList all;
        QStringList allBefore;
        for (int r = 0; r < rows; ++r) {
            all += table.row(r);
            allBefore += before.row(r);
        }
        std::sort(all.begin(), all.end());
        std::sort(allBefore.begin(), allBefore.end());
        QCOMPARE(all, allBefore);
        for (int i = 0; i < sources.size(); ++i)
            QCOMPARE(table.cell(targets.at(i).y(), targets.at(i).x()), before.cell(sources.at(i).y(), sources.at(i).x()));
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                if (!sources.contains(QPoint(c, r)) && !targets.contains(QPoint(c, r)))
                    QCOMPARE(table.cell(r, c), before.cell(r, c));
            }
        }
    }

    // Shapes that are not one block moved by one offset are refused untouched.
    CellTable table;
    table.appendRow({QStringLiteral("a"), QStringLiteral("b")});
    QVERIFY(!CellBlockMove::apply(table, {QPoint(0, 0), QPoint(1, 0)}, {QPoint(1, 0), QPoint(0, 0)}));
    QVERIFY(!CellBlockMove::apply(table, {QPoint(0, 0)}, {QPoint(2, 0)}));
    QVERIFY(!CellBlockMove::apply(table, {QPoint(0, 0), QPoint(0, 0)}, {QPoint(1, 0), QPoint(1, 0)}));
    QVERIFY(!CellBlockMove::apply(table, {}, {}));
    QCOMPARE(table.text(QStringLiteral(" ")), QStringLiteral("a b"));
}

void TestMatrixView::replacingTheTable()
{
    auto dialogTable = makeTable(QStringLiteral("a b c\nd e f\ng h i"));
    const std::weak_ptr<CellTable> first = dialogTable;
    MatrixView view(dialogTable);
    view.resize(500, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    selectCells(view, {QPoint(2, 2)});
    const std::unique_ptr<QMimeData> data(view.prepareDrag(centreOf(view, 2, 2)));
    const QPoint lastCell = centreOf(view, 2, 2);

    // The owner builds a smaller table in place of the old one.
    dialogTable = makeTable(QStringLiteral("x y"));
    view.setTable(dialogTable);
    QVERIFY(first.expired());
    QCOMPARE(view.model()->rowCount(), 1);
    QCOMPARE(view.model()->columnCount(), 2);
    QVERIFY(view.selectionModel()->selectedIndexes().isEmpty());

    // A drag begun on the old table cannot land on the new one.
    QVERIFY(enterDrag(view, lastCell, data.get()));
    QDropEvent drop(lastCell, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &drop);
    QVERIFY(!drop.isAccepted());
    QCOMPARE(view.table()->text(QStringLiteral(" ")), QStringLiteral("x y"));

    // The owner letting go of its table does not pull it from under the view.
    const std::weak_ptr<CellTable> second = dialogTable;
    dialogTable.reset();
    QVERIFY(!second.expired());
    QCOMPARE(view.model()->index(0, 1).data().toString(), QStringLiteral("y"));
    selectCells(view, {QPoint(1, 0)});
    actionNamed(view, QStringLiteral("Copy &all"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("x y"));
    actionNamed(view, QStringLiteral("Flip &Horizontally"))->trigger();
    QCOMPARE(view.model()->index(0, 0).data().toString(), QStringLiteral("y"));

    view.setTable(nullptr);
    QVERIFY(second.expired());
    QCOMPARE(view.model()->rowCount(), 0);
    actionNamed(view, QStringLiteral("Copy &all"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("x y"));
}

QTEST_MAIN(TestMatrixView)
#include "tst_matrixview.moc"
