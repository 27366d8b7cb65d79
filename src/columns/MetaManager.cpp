#include "columns/MetaManager.h"

#include "columns/Meta.h"
#include "editor/Editor.h"
#include "editor/TextFile.h"
#include "engine/EventPacer.h"
#include "engine/FastMetaWnd.h"
#include "settings/Preferences.h"
#include "tools/CellTable.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSplitter>
#include <QUrl>

#include <future>

namespace {
const QString UriList = QStringLiteral("text/uri-list");
const QString MetaWidget = QStringLiteral("Meta/Widget");
} // namespace

MetaManager::MetaManager(QWidget* parent)
    : QFrame(parent), m_splitter(new QSplitter(Qt::Horizontal, this)), m_highlight(0, 0, -1, -1),
      m_preferences(Preferences::instance())
{
    setAcceptDrops(true);
    auto* layout = new QHBoxLayout(this);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setSizePolicy(QSizePolicy::Expanding, m_splitter->sizePolicy().verticalPolicy());
    layout->addWidget(m_splitter);

    const int start = qMin(m_preferences->columnsStartColumns(), MaxColumns);
    for (int i = 0; i < start; ++i)
        insertMeta(QString(), QString(), -1);
}

MetaManager::~MetaManager()
{
    const QList<Meta*> metas = m_metas;
    m_metas.clear();
    m_current = nullptr;
    qDeleteAll(metas);
}

Meta* MetaManager::metaAt(int i) const
{
    return i >= 0 && i < m_metas.size() ? m_metas.at(i) : nullptr;
}

QList<Meta*> MetaManager::checkedMetas() const
{
    QList<Meta*> result;
    for (Meta* meta : m_metas) {
        if (meta->isChecked())
            result.append(meta);
    }
    return result;
}

Meta* MetaManager::createMeta(int number, const QString& content, const QString& snippet)
{
    auto* meta = new Meta(this, number, content, snippet, m_splitter);
    connect(meta->editor(), &Editor::onScroll, this, &MetaManager::onEditorScroll);
    connect(meta, &Meta::textChangedSignal, this, &MetaManager::metaTextChanged);
    return meta;
}

void MetaManager::insertMeta(const QString& content, const QString& snippet, int index)
{
    if (m_metas.size() >= MaxColumns)
        return;
    const int number = index < 0 ? m_metas.size() + 1 : index + 1;
    Meta* meta = createMeta(number, content, snippet);
    if (index < 0 || index >= m_metas.size())
        m_metas.append(meta);
    else
        m_metas.insert(index, meta);
    relayout();
    emit metaChanged();
}

void MetaManager::insertEmptyMeta(int index, bool renumber)
{
    // The buttons are greyed at the limit, but a fifth column must not come in any other way either.
    if (m_metas.size() >= MaxColumns)
        return;
    index = qBound(0, index, m_metas.size());
    Meta* meta = createMeta(index + 1, QString(), QString());
    m_metas.insert(index, meta);
    if (renumber)
        relayout();
    else
        m_splitter->insertWidget(index, meta);
    updateButtons();
    emit metaChanged();
}

void MetaManager::removeMeta(int index, bool renumber)
{
    if (m_metas.isEmpty())
        return;
    if (index == -1)
        index = m_metas.size() - 1;
    if (index < 0 || index >= m_metas.size())
        return;
    Meta* meta = m_metas.takeAt(index);
    if (m_current == meta)
        m_current = nullptr;
    meta->hide();
    meta->setParent(nullptr);
    // Deleted now rather than later: its life token must expire at once, so that a merge running
    // in a nested event loop stops reading it.
    delete meta;
    if (renumber)
        relayout();
    updateButtons();
    emit metaChanged();
}

void MetaManager::moveMeta(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= m_metas.size() || to >= m_metas.size())
        return;
    m_metas.swapItemsAt(from, to);
    relayout();
}

void MetaManager::relayout()
{
    for (int i = 0; i < m_metas.size(); ++i) {
        Meta* meta = m_metas.at(i);
        meta->setIndex(i);
        m_splitter->insertWidget(i, meta);
    }
    updateButtons();
}

void MetaManager::updateButtons()
{
    const int n = m_metas.size();
    for (Meta* meta : qAsConst(m_metas)) {
        // An unticked column keeps all its buttons grey.
        const bool active = meta->isChecked();
        meta->setRemoveDisabled(n == 1 || !active);
        meta->setInsertEnabled(active && n < MaxColumns);
    }
}

void MetaManager::selectAll()
{
    for (Meta* meta : qAsConst(m_metas))
        meta->setChecked(true);
}

void MetaManager::unselectAll()
{
    for (Meta* meta : qAsConst(m_metas))
        meta->setChecked(false);
}

void MetaManager::clearChecked()
{
    for (Meta* meta : qAsConst(m_metas)) {
        if (meta->isChecked())
            meta->clear();
    }
}

void MetaManager::setCurrentMeta(Meta* meta)
{
    if (m_current)
        m_current->setSelected(false);
    m_current = meta;
    if (m_current)
        m_current->setSelected(true);
}

void MetaManager::setMeta(int index, const QString& content, const QString& snippet)
{
    if (index >= m_metas.size()) {
        insertMeta(content, snippet, index);
        return;
    }
    if (index < 0)
        return;
    Meta* meta = m_metas.at(index);
    meta->setText(content);
    meta->setSnippet(snippet);
}

void MetaManager::syncCaret(QWidget* source, int firstVisibleLine, int line, int column)
{
    for (Meta* meta : qAsConst(m_metas)) {
        if (meta != source && meta->editor() != source)
            meta->showPosition(firstVisibleLine, line, column);
    }
}

bool MetaManager::loadIntoColumns(const CellTable& table)
{
    // A table without columns has nothing to load, and clearing for it would only lose texts.
    if (table.columnCount() == 0)
        return false;
    // The copy shares the cells: events run below, and the caller's table may go with them.
    const CellTable snapshot = table;
    if (m_preferences->miscClearColumnsBeforeLoad())
        clearChecked();
    const int width = snapshot.columnCount();
    int empty = 0;
    for (Meta* meta : qAsConst(m_metas)) {
        if (meta->isEmpty())
            ++empty;
    }
    for (int i = 0; i < width - empty; ++i)
        insertMeta(QString(), QString(), -1);
    // Events run between the columns and between the pieces of each, so that the window repaints
    // while a long table goes in; a column removed meanwhile is passed over, one typed into before
    // its turn is not overwritten.
    QList<QPointer<Meta>> targets;
    for (Meta* meta : qAsConst(m_metas))
        targets.append(meta);
    EventPacer pacer;
    const auto between = [&pacer] { pacer.poll(); };
    // The next column's bytes are made on a thread of their own while the component takes in the
    // present column, in the present column's encoding (the columns share one as a rule).
    std::future<QByteArray> upcoming;
    bool upcomingUnicode = true;
    int next = 0;
    for (const QPointer<Meta>& meta : qAsConst(targets)) {
        if (next >= width)
            break;
        pacer.poll();
        if (!meta || !meta->isEmpty())
            continue;
        Editor* editor = meta->editor();
        const bool unicode = editor->isUnicode();
        QByteArray bytes;
        if (upcoming.valid() && upcomingUnicode == unicode)
            bytes = upcoming.get();
        else
            bytes = snapshot.columnBytes(next, unicode);
        if (++next < width) {
            // Made in place when no thread can be had.
            upcoming = std::async(std::launch::async | std::launch::deferred,
                                  [snapshot, next, unicode] { return snapshot.columnBytes(next, unicode); });
            upcomingUnicode = unicode;
        }
        editor->setWholeBytesInPieces(bytes, between);
    }
    return true;
}

void MetaManager::metaTextChanged(Meta* meta)
{
    Q_UNUSED(meta)
    emit metaChanged();
}

// The generator settings window is not part of the row; without it there is nothing to append.
void MetaManager::onRequestAppendNumber(Meta* meta)
{
    if (m_fastMetaWnd)
        m_fastMetaWnd->appendToColumn(FastMetaWnd::Number, meta);
}

void MetaManager::onRequestAppendLetter(Meta* meta)
{
    if (m_fastMetaWnd)
        m_fastMetaWnd->appendToColumn(FastMetaWnd::Letter, meta);
}

void MetaManager::onRequestAppendDate(Meta* meta)
{
    if (m_fastMetaWnd)
        m_fastMetaWnd->appendToColumn(FastMetaWnd::Date, meta);
}

void MetaManager::onRequestAppendTime(Meta* meta)
{
    if (m_fastMetaWnd)
        m_fastMetaWnd->appendToColumn(FastMetaWnd::Time, meta);
}

void MetaManager::metaRepTextChanged(QLineEdit* repEdit)
{
    if (!repEdit)
        return;
    const QString text = repEdit->text();
    QList<QLineEdit*> same;
    for (Meta* meta : qAsConst(m_metas)) {
        QLineEdit* edit = meta->snippetEdit();
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, Qt::black);
        edit->setPalette(palette);
        if (edit->text() == text)
            same.append(edit);
    }
    if (same.size() < 2)
        return;
    for (QLineEdit* edit : qAsConst(same)) {
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, Qt::red);
        edit->setPalette(palette);
    }
}

void MetaManager::onEditorScroll(Editor* editor)
{
    if (!editor || !m_preferences->columnsSynchronousScroll())
        return;
    const int horizontal = editor->horizontalScrollBar()->value();
    const int vertical = editor->verticalScrollBar()->value();
    for (Meta* meta : qAsConst(m_metas)) {
        Editor* other = meta->editor();
        if (other == editor)
            continue;
        other->horizontalScrollBar()->setValue(horizontal);
        other->verticalScrollBar()->setValue(vertical);
    }
}

int MetaManager::metaIndexAt(const QPoint& pos) const
{
    for (int i = 0; i < m_metas.size(); ++i) {
        const QRect rect(m_metas.at(i)->mapTo(this, QPoint(0, 0)), m_metas.at(i)->size());
        if (rect.contains(pos))
            return i;
    }
    return -1;
}

void MetaManager::setHighlight(const QRect& rect)
{
    const QRect old = m_highlight;
    m_highlight = rect;
    update(old.united(rect));
}

void MetaManager::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(UriList) || event->mimeData()->hasFormat(MetaWidget))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MetaManager::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData()->hasFormat(UriList) && !event->mimeData()->hasFormat(MetaWidget)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const int i = metaIndexAt(event->pos());
    if (i < 0) {
        setHighlight(QRect(0, 0, -1, -1));
        return;
    }
    const QRect rect(m_metas.at(i)->mapTo(this, QPoint(0, 0)), m_metas.at(i)->size());
    setHighlight(rect.adjusted(8, 10, 8, 8));
}

void MetaManager::dragLeaveEvent(QDragLeaveEvent* event)
{
    setHighlight(QRect(0, 0, -1, -1));
    QFrame::dragLeaveEvent(event);
}

void MetaManager::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasFormat(UriList)) {
        const QList<QUrl> urls = data->urls();
        // Each dropped file becomes a new column holding the file's text.
        for (const QUrl& url : urls) {
            const QString path = url.toLocalFile();
            if (path.isEmpty() || m_metas.size() >= MaxColumns)
                continue;
            bool loaded = false;
            const QString text = loadTextFile(path, this, &loaded);
            if (loaded)
                insertMeta(text, QString(), -1);
        }
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else if (data->hasFormat(MetaWidget)) {
        const int target = metaIndexAt(event->pos());
        const int source = m_metas.indexOf(m_current);
        if (target >= 0 && source >= 0) {
            moveMeta(source, target);
            event->setDropAction(Qt::MoveAction);
            event->accept();
        } else {
            event->ignore();
        }
    } else {
        event->ignore();
    }
    setHighlight(QRect(0, 0, -1, -1));
}

void MetaManager::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_highlight.isEmpty()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(QStringLiteral("#eeeeee")));
        painter.drawRect(m_highlight.adjusted(0, 0, -1, -1));
    }
}
