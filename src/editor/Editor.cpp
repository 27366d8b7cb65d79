#include "editor/Editor.h"

#include "editor/TextBytes.h"

#include "editor/CaretSyncTarget.h"
#include "editor/LineList.h"
#include "editor/TextFile.h"
#include "engine/EventPacer.h"
#include "settings/Preferences.h"
#include "widgets/QProgressIndicator.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr int TextStyle = 0;
constexpr int LineNumberStyle = 33; // STYLE_LINENUMBER
constexpr int LineNumberMargin = 1;
constexpr int MinZoom = -10;
constexpr int MaxZoom = 20;

} // namespace

Editor::Editor(QWidget* parent)
    : ScintillaEdit(parent), m_preferences(Preferences::instance()), m_busy(new QProgressIndicator(this)),
      m_parentWidget(parent)
{
    // No lexer ever styles the text, so the document keeps no style byte per character: that would
    // double the memory of every text. Set first, since encoding, line ends and tabs belong to it.
    const long document = send(SCI_CREATEDOCUMENT, 0, SC_DOCUMENTOPTION_STYLES_NONE);
    send(SCI_SETDOCPOINTER, 0, document);
    send(SCI_RELEASEDOCUMENT, 0, document);
    styleSetBack(LineNumberStyle, toScintillaColor(QColor(0xE4, 0xE4, 0xE4)));
    styleSetFore(LineNumberStyle, toScintillaColor(QColor(0x80, 0x80, 0x80)));

    // The component keeps the pointer shape up to date as the mouse moves; this is only the start.
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::WheelFocus);
    setAttribute(Qt::WA_KeyCompression);
    setAttribute(Qt::WA_InputMethodEnabled);
    setInputMethodHints(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText | Qt::ImhMultiLine);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    // Only real text changes are of interest; style and marker notifications would only cost time.
    setModEventMask(SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT);

    setMarginTypeN(LineNumberMargin, SC_MARGIN_NUMBER);
    setUseTabs(!m_preferences->editorReplaceTabBySpace());

    buildContextMenu();

    setCaretLineVisible(m_preferences->editorHighlightCurrentLine());
    const QColor caretLineColor = m_preferences->editorHighlightCurrentLineColor();
    setCaretLineBack(toScintillaColor(caretLineColor));
    setCaretLineBackAlpha(toScintillaAlpha(caretLineColor));
    setCaretLineVisibleAlways(true);

    m_showLineNumbers = m_preferences->editorDisplayLineNumber();
    updateLineNumberMargin();

    setTabWidth(m_preferences->editorTabWidth());

    connect(this, &ScintillaEdit::linesAdded, this, &Editor::onLinesChanged);
    // Margin widths are pixels: a zoomed font needs a wider margin for the same digits.
    connect(this, &QsciScintillaBase::SCN_ZOOM, this, &Editor::updateLineNumberMargin);
    connect(m_preferences, &Preferences::showLineNumberChanged, this, &Editor::onShowLineNumberChanged);
    connect(m_preferences, &Preferences::showSpaceChanged, this, &Editor::onShowSpaceChanged);
    connect(m_preferences, &Preferences::showEolChanged, this, &Editor::onShowEolChanged);
    connect(m_preferences, &Preferences::highlightCurrentLineChanged, this, &Editor::onHighlightCurrentLineChanged);
    connect(m_preferences, &Preferences::highlightCurrentLineColorChanged, this,
            &Editor::onHighlightCurrentLineColorChanged);
    connect(m_preferences, &Preferences::editorFontColorChanged, this, &Editor::onEditorFontColorChanged);
    connect(m_preferences, &Preferences::editorSelectionBackgroundColorChanged, this,
            &Editor::onEditorSelectionBackgroundColorChanged);
    connect(m_preferences, &Preferences::tabWidthChanged, this, &Editor::onTabWidthChanged);
    connect(m_preferences, &Preferences::editorFontChanged, this, &Editor::onEditorFontChanged);
    connect(m_preferences, &Preferences::useSpaceChanged, this, &Editor::onUseSpaceChanged);
    connect(m_preferences, &Preferences::useUnicodeChanged, this, &Editor::onUseUnicodeChanged);
    connect(m_preferences, &Preferences::editorEolFormatChanged, this, &Editor::onEolFormatChanged);
    connect(this, &ScintillaEdit::updateUi, this, &Editor::slotUpdateUi);
    // The component moves its scroll bars with signals blocked, so scrollContentsBy only sees the
    // user dragging them; wheel, keyboard and programmatic scrolling come through here.
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        if (updated & (SC_UPDATE_V_SCROLL | SC_UPDATE_H_SCROLL))
            announceScroll();
    });
    connect(this, &ScintillaEdit::painted, this, &Editor::slotPainted);
    connect(this, &ScintillaEdit::modified, this, &Editor::onTextModified);

    setEolFormat(m_preferences->editorEolFormat());

    styleSetFore(TextStyle, toScintillaColor(m_preferences->editorFontColor()));
    const QColor selectionColor = m_preferences->editorSelectionBackgroundColor();
    setSelBack(true, toScintillaColor(selectionColor));
    setSelAlpha(toScintillaAlpha(selectionColor));

    setUnicode(m_preferences->editorUnicode());

    if (m_preferences->guiShowSpace())
        setViewWS(SCWS_VISIBLEALWAYS);
    if (m_preferences->guiShowEol())
        setViewEOL(true);
}

Editor::~Editor() = default;

// --- conversion ---------------------------------------------------------------------------------

QByteArray Editor::toEditorBytes(const QString& text) const
{
    return encodeEditorText(text, isUnicode());
}

QString Editor::fromEditorBytes(const char* bytes, int length) const
{
    if (!bytes || length <= 0)
        return QString();
    return isUnicode() ? decodeUtf8(bytes, length) : QString::fromLatin1(bytes, length);
}

// --- reading ------------------------------------------------------------------------------------

QString Editor::text() const
{
    return fromEditorBytes(characterPointer(), textLength());
}

QString Editor::lineText(int line) const
{
    if (line < 0 || line >= lineCount())
        return QString();
    const int start = positionFromLine(line);
    const int end = lineEndPosition(line);
    return fromEditorBytes(rangePointer(start, end - start), end - start);
}

QString Editor::selectedText() const
{
    if (!selectionIsRectangle()) {
        const int start = selectionStart();
        const int end = selectionEnd();
        return fromEditorBytes(rangePointer(start, end - start), end - start);
    }
    const QByteArray bytes = getSelText();
    return fromEditorBytes(bytes.constData(), bytes.size());
}

QString Editor::selectedOrAllText() const
{
    return hasSelectedText() ? selectedText() : text();
}

QStringList Editor::splitBytes(const char* bytes, int length, bool keepLastEmpty, QString* trailingBreak) const
{
    QStringList lines;
    if (trailingBreak)
        trailingBreak->clear();
    if (length <= 0) {
        if (keepLastEmpty)
            lines.append(QString());
        return lines;
    }
    // Decoding line by line straight from the component's buffer keeps a million-line document to
    // one pass without an intermediate copy of the whole text.
    const bool unicode = isUnicode();
    auto decode = [unicode](const char* from, int size) {
        return unicode ? decodeUtf8(from, size) : QString::fromLatin1(from, size);
    };
    int start = 0;
    int lastBreak = -1;
    for (int i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r')
            continue;
        lines.append(decode(bytes + start, i - start));
        lastBreak = i;
        if (c == '\r' && i + 1 < length && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < length || keepLastEmpty)
        lines.append(decode(bytes + start, length - start));
    else if (trailingBreak)
        *trailingBreak = QString::fromLatin1(bytes + lastBreak, length - lastBreak);
    return lines;
}

QStringList Editor::allLines() const
{
    return splitBytes(characterPointer(), textLength(), true, nullptr);
}

QStringList Editor::selectedLines() const
{
    return selectedLines(nullptr);
}

QStringList Editor::selectedLines(QString* trailingBreak) const
{
    if (!hasSelectedText()) {
        if (trailingBreak)
            trailingBreak->clear();
        return allLines();
    }
    if (selectionIsRectangle()) {
        const QByteArray bytes = getSelText();
        return splitBytes(bytes.constData(), bytes.size(), false, trailingBreak);
    }
    const int start = selectionStart();
    const int length = selectionEnd() - start;
    return splitBytes(rangePointer(start, length), length, false, trailingBreak);
}

// --- writing ------------------------------------------------------------------------------------

void Editor::appendText(const QString& text)
{
    appendBytes(toEditorBytes(text));
}

void Editor::appendLine(const QString& text)
{
    // CR LF whatever the EOL mode: this is the break the rest of the program splits columns at.
    if (textLength() > 0)
        appendBytes(QByteArrayLiteral("\r\n") + toEditorBytes(text));
    else
        appendBytes(toEditorBytes(text));
}

void Editor::appendLines(const QStringList& lines)
{
    appendLine(lines.join(QLatin1Char('\n')));
}

void Editor::replaceSelection(const QString& text)
{
    replaceSelectionBytes(toEditorBytes(text));
}

void Editor::replaceSelectionBytes(const QByteArray& bytes)
{
    if (selectionIsRectangle()) {
        // Only the component knows how to clear the pieces of a rectangle.
        replaceSel(bytes);
        return;
    }
    // Through the target rather than SCI_REPLACESEL, which takes a C string and would drop
    // everything after a NUL character.
    const int start = selectionStart();
    beginUndoAction();
    setTargetRange(start, selectionEnd());
    replaceTarget(bytes);
    endUndoAction();
    setEmptySelection(start + bytes.size());
    scrollCaret();
}

int Editor::replaceTargetText(const QString& text, bool regex)
{
    const QByteArray bytes = toEditorBytes(text);
    return regex ? replaceTargetRE(bytes) : replaceTarget(bytes);
}

void Editor::setTextKeepView(const QString& text, bool restore)
{
    setBytesKeepView(toEditorBytes(text), restore);
}

Editor::ViewPlace::ViewPlace(const Editor* editor)
    : firstLine(editor->firstVisibleLine()), horizontal(editor->xOffset())
{
    editor->cursorPosition(&line, &index);
}

void Editor::ViewPlace::restore(Editor* editor) const
{
    // Caret first: moving it may scroll, the view is put back afterwards.
    editor->setCursorPosition(line, index);
    editor->setFirstVisibleLine(firstLine);
    editor->setXOffset(horizontal);
}

void Editor::setBytesKeepView(const QByteArray& bytes, bool restore)
{
    const ViewPlace place(this);

    if (selectionEmpty())
        selectAll();
    replaceSelectionBytes(bytes);

    if (restore) {
        place.restore(this);
    }
}

void Editor::setWholeTextKeepView(const QString& text)
{
    // Collapsed first: with a selection the replacement would take only the selected part.
    setEmptySelection(currentPos());
    setTextKeepView(text, RestoreView);
}

void Editor::setWholeBytesKeepView(const QByteArray& bytes)
{
    setEmptySelection(currentPos());
    setBytesKeepView(bytes, RestoreView);
}

bool Editor::setWholeBytesInPieces(const QByteArray& bytes, const std::function<void()>& between)
{
    if (readOnly())
        return false;
    const QPointer<Editor> alive(this);
    const ViewPlace place(this);

    // Pieces of about a quarter megabyte, each ending after a line feed when there is one near, so
    // that no character and no line break is cut in two. The component takes in small pieces faster
    // than large ones (a megabyte takes about a third longer), as they stay in the cache.
    constexpr int Piece = 1 << 18;
    QVector<int> starts{0};
    for (int start = Piece; start < bytes.size(); start += Piece) {
        const int feed = bytes.indexOf('\n', start - 1);
        if (feed < 0 || feed + 1 >= bytes.size())
            break;
        start = feed + 1;
        starts.append(start);
    }
    starts.append(bytes.size());

    setEmptySelection(currentPos());
    beginUndoAction();
    setTargetRange(0, textLength());
    replaceTarget(QByteArray());
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(bytes.size()) + 1);
    // From the last piece to the first, each at the start: see loadPieces.
    for (int i = starts.size() - 2; i >= 0; --i) {
        setTargetRange(0, 0);
        replaceTarget(QByteArray::fromRawData(bytes.constData() + starts.at(i), starts.at(i + 1) - starts.at(i)));
        if (i == 0 || !between)
            continue;
        setReadOnly(true);
        between();
        if (!alive)
            return false;
        setReadOnly(false);
    }
    endUndoAction();

    place.restore(this);
    return true;
}

void Editor::loadText(const QString& text)
{
    // Converted a piece at a time, so that a text of many megabytes needs no second full copy on
    // the way in. A surrogate pair is never cut in two.
    constexpr int Piece = 1 << 20;
    QVector<int> starts;
    for (int start = 0; start < text.size();) {
        starts.append(start);
        start += Piece;
        if (start < text.size() && text.at(start).isLowSurrogate())
            ++start;
    }
    starts.append(text.size());
    loadPieces(starts.size() - 1, text.size(),
               [&](int i) { return toEditorBytes(text.mid(starts.at(i), starts.at(i + 1) - starts.at(i))); });
}

void Editor::loadBytes(const QByteArray& bytes)
{
    // Pieces that share the array's data: nothing is copied before the component takes them.
    constexpr int Piece = 1 << 20;
    loadPieces((bytes.size() + Piece - 1) / Piece, bytes.size(), [&](int i) {
        const int start = i * Piece;
        return QByteArray::fromRawData(bytes.constData() + start, qMin(Piece, bytes.size() - start));
    });
}

void Editor::loadPieces(int count, int size, const std::function<QByteArray(int)>& piece)
{
    const ViewPlace place(this);

    // Without undo collection neither the old nor the new text is copied into the undo history,
    // which would otherwise grow by both on every load.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_CLEARALL);
    // One byte more than the text: the buffer reallocates, copying the whole text, when an
    // insertion would fill it exactly. Exact for bytes, for Latin-1 and for ASCII in UTF-8; the
    // buffer grows on its own otherwise.
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(size) + 1);
    // The pieces go in from the last to the first, each at the start of the document: the widget's
    // accessibility support turns the position of every insertion into a character offset by
    // counting from the start, so appending would make the load quadratic.
    for (int i = count - 1; i >= 0; --i) {
        const QByteArray bytes = piece(i);
        setTargetRange(0, 0);
        replaceTarget(bytes);
    }
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);

    place.restore(this);
}

// The component's loader, as its interface lays it out: a document filled without notices or undo.
// Known here by its layout only, so the sanitizer's check of the type behind a virtual call cannot
// place it; the functions that call it are left out of that check.
#if defined(__GNUC__)
#define LOADER_CALLS __attribute__((no_sanitize("vptr")))
#else
#define LOADER_CALLS
#endif
// What belongs to a document rather than to the view, taken from one to another.
struct DocumentSettings
{
    explicit DocumentSettings(const Editor* editor)
        : codePage(editor->codePage()), eolMode(editor->eOLMode()),
          tabWidth(int(editor->send(QsciScintillaBase::SCI_GETTABWIDTH))),
          useTabs(editor->send(QsciScintillaBase::SCI_GETUSETABS) != 0)
    {
    }
    void applyTo(Editor* editor) const
    {
        // Only when it differs: a change of code page costs the component a reading of the whole text.
        if (editor->codePage() != codePage)
            editor->setCodePage(codePage);
        editor->setEOLMode(eolMode);
        editor->send(QsciScintillaBase::SCI_SETTABWIDTH, tabWidth);
        editor->send(QsciScintillaBase::SCI_SETUSETABS, useTabs);
    }
    int codePage;
    int eolMode;
    int tabWidth;
    bool useTabs;
};

class ScintillaLoader
{
public:
    virtual int Release() = 0;
    virtual int AddData(const char* data, ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;
};

LOADER_CALLS Editor::Loader::Loader(Editor* editor, qint64 sizeHint) : m_editor(editor)
{
    const auto size = static_cast<unsigned long>(qBound<qint64>(0, sizeHint, 1 << 30));
    m_loader = reinterpret_cast<ScintillaLoader*>(
        editor->SendScintilla(SCI_CREATELOADER, size, static_cast<long>(SC_DOCUMENTOPTION_STYLES_NONE)));
    if (!m_loader)
        return;
    // The new document takes the editor's code page, line ends and tabs while it is empty: the
    // component reads a whole document again when its code page changes. It is shown for that
    // moment only, and the editor's own document comes back with its view.
    const ViewPlace place(editor);
    const DocumentSettings settings(editor);
    const long current = editor->send(SCI_GETDOCPOINTER);
    editor->send(SCI_ADDREFDOCUMENT, 0, current);
    editor->SendScintilla(SCI_SETDOCPOINTER, 0UL, m_loader->ConvertToDocument());
    settings.applyTo(editor);
    editor->send(SCI_SETDOCPOINTER, 0, current);
    editor->send(SCI_RELEASEDOCUMENT, 0, current);
    place.restore(editor);
}

LOADER_CALLS Editor::Loader::~Loader()
{
    if (m_loader)
        m_loader->Release();
}

LOADER_CALLS bool Editor::Loader::add(const QByteArray& bytes)
{
    if (!m_loader || m_failed)
        return false;
    m_failed = m_loader->AddData(bytes.constData(), bytes.size()) != SC_STATUS_OK;
    return !m_failed;
}

LOADER_CALLS void Editor::Loader::finish()
{
    ScintillaLoader* loader = std::exchange(m_loader, nullptr);
    Editor* editor = m_editor;
    if (!loader)
        return;
    if (!editor || m_failed) {
        loader->Release();
        return;
    }
    const ViewPlace place(editor);
    // What may have changed since the loader was made goes over too.
    const DocumentSettings settings(editor);
    const bool readOnly = editor->readOnly();

    void* document = loader->ConvertToDocument();
    editor->SendScintilla(SCI_SETDOCPOINTER, 0UL, document);
    // The editor holds the document now; the loader's own reference goes.
    editor->SendScintilla(SCI_RELEASEDOCUMENT, 0UL, document);
    settings.applyTo(editor);
    editor->send(SCI_SETREADONLY, readOnly);
    editor->send(SCI_SETUNDOCOLLECTION, 1);
    editor->send(SCI_EMPTYUNDOBUFFER);
    editor->send(SCI_SETSAVEPOINT);

    place.restore(editor);
    // The swap sends no change notice: what follows the text is told here.
    editor->updateLineNumberMargin();
    emit editor->textChanged();
}

void Editor::setLines(const QStringList& lines, bool restore)
{
    setTextKeepView(lines.join(QLatin1Char('\n')), restore);
}

// --- positions ----------------------------------------------------------------------------------

void Editor::lineIndexFromPosition(int position, int* line, int* index) const
{
    const int l = lineFromPosition(position);
    const int start = positionFromLine(l);
    int count = 0;
    if (!isUnicode()) {
        count = position - start;
    } else {
        for (int pos = start; pos < position; ++count) {
            const int next = positionAfter(pos);
            if (next <= pos)
                break;
            pos = next;
        }
    }
    if (line)
        *line = l;
    if (index)
        *index = count;
}

int Editor::positionFromLineIndex(int line, int index) const
{
    // An index past the line's end stops at the end rather than running into the next line.
    line = qBound(0, line, lineCount() - 1);
    const int start = positionFromLine(line);
    const int end = lineEndPosition(line);
    if (index <= 0)
        return start;
    if (!isUnicode())
        return qMin(start + index, end);
    int pos = start;
    for (int i = 0; i < index && pos < end; ++i)
        pos = positionAfter(pos);
    return qMin(pos, end);
}

void Editor::setCursorPosition(int line, int index)
{
    gotoPos(positionFromLineIndex(line, index));
}

void Editor::cursorPosition(int* line, int* index) const
{
    lineIndexFromPosition(currentPos(), line, index);
}

bool Editor::getSelection(int* lineFrom, int* indexFrom, int* lineTo, int* indexTo) const
{
    if (!hasSelectedText()) {
        for (int* value : {lineFrom, indexFrom, lineTo, indexTo}) {
            if (value)
                *value = -1;
        }
        return false;
    }
    lineIndexFromPosition(selectionStart(), lineFrom, indexFrom);
    lineIndexFromPosition(selectionEnd(), lineTo, indexTo);
    return true;
}

void Editor::selectionRange(int* start, int* end) const
{
    if (start)
        *start = selectionStart();
    if (end)
        *end = selectionEnd();
}

bool Editor::hasSelectedText() const
{
    return !selectionEmpty();
}

void Editor::removeSelectedText()
{
    replaceSelection(QString());
}

// --- searching ----------------------------------------------------------------------------------

bool Editor::canHold(const QString& text) const
{
    if (isUnicode())
        return true;
    const QChar* units = text.constData();
    for (int i = 0, n = text.size(); i < n; ++i) {
        if (units[i].unicode() > 0xFF)
            return false;
    }
    return true;
}

int Editor::searchRange(const QByteArray& expr, int from, int to, int flags)
{
    if (from == to)
        return -1;
    setSearchFlags(flags);
    setTargetRange(from, to);
    return searchInTarget(expr);
}

Editor::Match Editor::searchStep(const QByteArray& expr, int flags, int from, bool forward, bool wrap,
                                 bool skipEmptyAtFrom)
{
    const int length = textLength();
    const int to = forward ? length : 0;
    int start = searchRange(expr, from, to, flags);
    if (start >= 0 && skipEmptyAtFrom && start == from && targetEnd() == from) {
        const int next = forward ? positionAfter(from) : positionBefore(from);
        start = next != from ? searchRange(expr, next, to, flags) : -1;
    }
    Match match;
    if (start < 0 && wrap) {
        match.wrapped = true;
        start = forward ? searchRange(expr, 0, length, flags) : searchRange(expr, length, 0, flags);
    }
    if (start >= 0) {
        match.start = start;
        match.end = targetEnd();
    }
    return match;
}

// The replacement for the last regular-expression match, as the component's own substitution
// builds it: \0 to \9 are the groups, \a \b \f \n \r \t \v and \\ the control characters and the
// backslash; any other backslash stays.
QByteArray Editor::substituteTags(const QByteArray& replacement) const
{
    QByteArray out;
    for (int i = 0, n = replacement.size(); i < n; ++i) {
        const char c = replacement.at(i);
        const char next = i + 1 < n ? replacement.at(i + 1) : '\0';
        if (c != '\\' || next == '\0') {
            out += c;
            continue;
        }
        if (next >= '0' && next <= '9') {
            out += tag(next - '0');
            ++i;
            continue;
        }
        static const char Escapes[] = "a\ab\bf\fn\nr\rt\tv\v\\\\";
        const char* escape = std::strchr(Escapes, next);
        // Only the letters (even places) name escapes; the control characters are their values.
        if (escape && (escape - Escapes) % 2 == 0) {
            out += escape[1];
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

int Editor::replaceAll(const QString& expr, const QString& replacement, int flags, int from, int to,
                       const std::function<bool()>& stopRequested)
{
    if (expr.isEmpty() || from >= to || readOnly() || !canHold(expr))
        return 0;
    const QByteArray find = toEditorBytes(expr);
    const QByteArray with = toEditorBytes(replacement);
    const bool regex = flags & SCFIND_REGEXP;
    const bool groups = regex && with.contains('\\');
    const QPointer<Editor> alive(this);

    // The matches are sought in the text as it stands, like sed does, and the new text of the
    // span they cover goes in as one replacement: an edit per match costs the component far more
    // than the search. Nothing that runs meanwhile may change the text under the positions held.
    struct Piece
    {
        int start;
        int end;
        int length;
    };
    std::vector<Piece> pieces;
    QByteArray span;
    setReadOnly(true);
    EventPacer pacer(stopRequested);
    int position = from;
    int lastEnd = -1;
    for (;;) {
        const bool stop = pacer.pollStop();
        if (!alive)
            return 0;
        if (stop)
            break;
        int start = searchRange(find, position, to, flags);
        if (start < 0)
            break;
        int end = targetEnd();
        // An empty match where the last one ended would be replaced twice.
        if (start == end && start == lastEnd) {
            const int next = positionAfter(start);
            if (next <= start)
                break;
            start = searchRange(find, next, to, flags);
            if (start < 0)
                break;
            end = targetEnd();
        }
        if (end > to)
            break;
        if (!pieces.empty())
            span.append(rangePointer(lastEnd, start - lastEnd), start - lastEnd);
        const QByteArray& put = groups ? substituteTags(with) : with;
        span += put;
        pieces.push_back({start, end, int(put.size())});
        lastEnd = end;
        if (end == to)
            break;
        position = end;
    }
    setReadOnly(false);
    if (pieces.empty())
        return 0;

    // Caret and anchor stay with the text around them; one inside a match goes to its start.
    auto follow = [&pieces](int x) {
        int shift = 0;
        for (const Piece& piece : pieces) {
            if (piece.start >= x)
                break;
            if (piece.end > x)
                return piece.start + shift;
            shift += piece.length - (piece.end - piece.start);
        }
        return x + shift;
    };
    const int caret = follow(currentPos());
    const int anchorAt = follow(anchor());
    const int firstLine = firstVisibleLine();
    const int horizontal = xOffset();
    const int linesBefore = lineCount();
    // A notice for the replacement would reach the widget's accessibility support, which counts
    // characters from the start; the receivers hear of the change once, below.
    const int mask = modEventMask();
    setModEventMask(0);
    beginUndoAction();
    setTargetRange(pieces.front().start, pieces.back().end);
    replaceTarget(span);
    endUndoAction();
    setModEventMask(mask);
    setSel(anchorAt, caret);
    setFirstVisibleLine(firstLine);
    setXOffset(horizontal);
    announceChange(lineCount() - linesBefore);
    return int(pieces.size());
}

void Editor::beginFind(const QString& expr, bool re, bool cs, bool wo, bool wrap, bool forward, bool show, bool posix)
{
    m_find.status = expr.isEmpty() ? FindState::Idle : FindState::Finding;
    m_find.expr = expr;
    m_find.wrap = wrap;
    m_find.forward = forward;
    m_find.startForward = forward;
    m_find.show = show;
    m_find.flags = (cs ? SCFIND_MATCHCASE : 0) | (wo ? SCFIND_WHOLEWORD : 0) | (re ? SCFIND_REGEXP : 0) |
                   (posix ? SCFIND_POSIX : 0);
}

bool Editor::findFirst(const QString& expr, bool re, bool cs, bool wo, bool wrap, bool forward, int line, int index,
                       bool show, bool posix)
{
    beginFind(expr, re, cs, wo, wrap, forward, show, posix);
    if (!isFinding())
        return false;
    const int start = line < 0 || index < 0 ? currentPos() : positionFromLineIndex(line, index);
    m_find.matchStart = start;
    m_find.matchEnd = start;
    return doFind(false);
}

void Editor::startFind(const QString& expr, bool re, bool cs, bool wo, bool wrap, bool forward, bool show, bool posix)
{
    beginFind(expr, re, cs, wo, wrap, forward, show, posix);
    m_find.matchStart = selectionStart();
    m_find.matchEnd = selectionEnd();
}

bool Editor::findNext()
{
    if (!isFinding())
        return false;
    m_find.forward = m_find.startForward;
    return doFind(true);
}

bool Editor::findPrevious()
{
    if (!isFinding())
        return false;
    m_find.forward = !m_find.startForward;
    return doFind(true);
}

bool Editor::doFind(bool skipEmptyAtStart)
{
    if (!canHold(m_find.expr)) {
        m_find.status = FindState::Idle;
        return false;
    }
    // The text may have shrunk since the last step.
    const int length = textLength();
    const int from = qMin(m_find.forward ? m_find.matchEnd : m_find.matchStart, length);
    const Match match =
        searchStep(toEditorBytes(m_find.expr), m_find.flags, from, m_find.forward, m_find.wrap, skipEmptyAtStart);
    if (!match.found()) {
        m_find.status = FindState::Idle;
        return false;
    }
    if (m_find.show) {
        for (int line = lineFromPosition(match.start), last = lineFromPosition(match.end); line <= last; ++line)
            ensureVisibleEnforcePolicy(line);
    }
    if (m_find.forward)
        setSel(match.start, match.end);
    else
        setSel(match.end, match.start);
    m_find.matchStart = match.start;
    m_find.matchEnd = match.end;
    return true;
}

// --- modes --------------------------------------------------------------------------------------

int Editor::eolModeFromFormat(EolFormat format)
{
    switch (format) {
    case EolUnix:
        return SC_EOL_LF;
    case EolMac:
        return SC_EOL_CR;
    case EolWindows:
    default:
        return SC_EOL_CRLF;
    }
}

EolFormat Editor::formatFromEolMode(int mode)
{
    switch (mode) {
    case SC_EOL_LF:
        return EolUnix;
    case SC_EOL_CR:
        return EolMac;
    default:
        return EolWindows;
    }
}

EolFormat Editor::eolFormat() const
{
    return formatFromEolMode(eOLMode());
}

void Editor::setEolFormat(EolFormat format)
{
    setEOLMode(eolModeFromFormat(format));
}

void Editor::convertEols(EolFormat format)
{
    startBusy();
    convertEOLs(eolModeFromFormat(format));
    stopBusy();
}

bool Editor::isUnicode() const
{
    return codePage() == SC_CP_UTF8;
}

void Editor::setUnicode(bool unicode)
{
    setCodePage(unicode ? SC_CP_UTF8 : 0);
}

void Editor::setViewWhitespace(bool visible)
{
    onShowSpaceChanged(visible);
}

void Editor::setZoomFactor(int zoom)
{
    setZoom(qBound(MinZoom, zoom, MaxZoom));
}

int Editor::toScintillaColor(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

int Editor::toScintillaAlpha(const QColor& color)
{
    return color.alpha() == 255 ? SC_ALPHA_NOALPHA : color.alpha();
}

void Editor::startBusy()
{
    m_busy->start();
}

void Editor::stopBusy()
{
    m_busy->stopNow();
}

void Editor::scrollToLine(int firstVisible, int line)
{
    const int lines = lineCount();
    setFirstVisibleLine(qMax(0, firstVisible > lines ? lines - 1 : firstVisible));
    const int caretLine = qBound(0, firstVisibleLine() + line - firstVisible, lines - 1);
    setCursorPosition(caretLine, 0);
}

bool Editor::saveToFile(const QString& path, QWidget* messageParent)
{
    return saveTextFile(path, text(), isUnicode(), messageParent);
}

// --- line-number margin -------------------------------------------------------------------------

void Editor::updateLineNumberMargin()
{
    int width = 0;
    if (m_showLineNumbers) {
        int digits = 1;
        for (int n = lineCount(); n >= 10; n /= 10)
            ++digits;
        width = textWidth(LineNumberStyle, QByteArray(digits, '9')) + 4;
    }
    setMarginWidthN(LineNumberMargin, width);
    m_actionDisplayLineNumber->setChecked(width > 0);
}

void Editor::showLineNumber(bool bChecked)
{
    m_showLineNumbers = bChecked;
    updateLineNumberMargin();
}

void Editor::onLinesChanged(int addedLines)
{
    if (addedLines == 0 || !m_showLineNumbers)
        return;
    // The margin is measured again only when the line numbers gain or lose a digit: a long text
    // put in a piece at a time would otherwise measure it for every piece.
    const auto digits = [](int lines) {
        int count = 1;
        for (; lines >= 10; lines /= 10)
            ++count;
        return count;
    };
    const int lines = lineCount();
    if (digits(lines) != digits(lines - addedLines))
        updateLineNumberMargin();
}

// --- preference followers -----------------------------------------------------------------------

void Editor::onShowLineNumberChanged(bool bShow)
{
    showLineNumber(bShow);
}

void Editor::onShowSpaceChanged(bool bShow)
{
    setViewWS(bShow ? SCWS_VISIBLEALWAYS : SCWS_INVISIBLE);
}

void Editor::onShowEolChanged(bool bShow)
{
    setViewEOL(bShow);
}

void Editor::onHighlightCurrentLineChanged(bool bShow)
{
    setCaretLineVisible(bShow);
}

void Editor::onHighlightCurrentLineColorChanged(const QColor& color)
{
    setCaretLineBack(toScintillaColor(color));
    setCaretLineBackAlpha(toScintillaAlpha(color));
}

void Editor::onEditorFontColorChanged(const QColor& color)
{
    styleSetFore(TextStyle, toScintillaColor(color));
}

void Editor::onEditorSelectionBackgroundColorChanged(const QColor& color)
{
    setSelBack(true, toScintillaColor(color));
    setSelAlpha(toScintillaAlpha(color));
}

void Editor::onTabWidthChanged(int width)
{
    setTabWidth(width);
}

void Editor::onEditorFontChanged(const QFont& font)
{
    setFont(font);
}

void Editor::onUseSpaceChanged(bool bUse)
{
    setUseTabs(!bUse);
}

void Editor::onUseUnicodeChanged(bool bUse)
{
    setUnicode(bUse);
    emit onCodecChanged();
}

void Editor::onEolFormatChanged(EolFormat format)
{
    setEolFormat(format);
    emit onEolModeChanged();
}

// --- tracking -----------------------------------------------------------------------------------

void Editor::slotUpdateUi()
{
    const int position = currentPos();
    if (position == m_lastCaretPosition)
        return;
    m_lastCaretPosition = position;
    const int line = lineFromPosition(position);
    const int col = column(position);
    emit cursorPositionChanged(line, col);
    if (hasFocus() && m_columnManager && m_preferences->columnsSynchronousCaret())
        m_columnManager->syncCaret(m_parentWidget, firstVisibleLine(), line, col);
}

void Editor::slotPainted()
{
    const int start = selectionStart();
    const int end = selectionEnd();
    if (start == m_lastSelectionStart && end == m_lastSelectionEnd)
        return;
    m_lastSelectionStart = start;
    m_lastSelectionEnd = end;
    emit selectionChanged();
}

void Editor::onTextModified(int, int, int, int, const QByteArray&, int, int, int)
{
    emit textChanged();
}

// --- events -------------------------------------------------------------------------------------

void Editor::mousePressEvent(QMouseEvent* event)
{
    emit m_preferences->focusEditorChanged(this);
    ScintillaEdit::mousePressEvent(event);
}

void Editor::contextMenuEvent(QContextMenuEvent* event)
{
    updateContextMenu();
    m_contextMenu->popup(event->globalPos());
    event->accept();
}

void Editor::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->accept();
        return;
    }
    ScintillaEdit::dragEnterEvent(event);
}

void Editor::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    ScintillaEdit::dragMoveEvent(event);
}

void Editor::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasUrls()) {
        ScintillaEdit::dropEvent(event);
        return;
    }
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    // One drop is one undo step, however many files it brings.
    beginUndoAction();
    for (const QUrl& url : urls) {
        bool loaded = false;
        const QString text = loadTextFile(url.toLocalFile(), this, &loaded);
        // A file that could not be read adds nothing; the box has said why.
        if (loaded)
            appendText(text + QLatin1Char('\n'));
    }
    endUndoAction();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void Editor::scrollContentsBy(int dx, int dy)
{
    ScintillaEdit::scrollContentsBy(dx, dy);
    announceScroll();
}

void Editor::announceScroll()
{
    const int line = firstVisibleLine();
    const int x = xOffset();
    if (line == m_lastScrollLine && x == m_lastScrollX)
        return;
    m_lastScrollLine = line;
    m_lastScrollX = x;
    emit onScroll(this);
}

// --- context menu -------------------------------------------------------------------------------

void Editor::buildContextMenu()
{
    m_contextMenu = new QMenu(this);
    QMenu* menu = m_contextMenu;
    m_actionCut = menu->addAction(tr("Cut"), this, &Editor::actionCut);
    m_actionCopy = menu->addAction(tr("Copy"), this, &Editor::actionCopy);
    m_actionDelete = menu->addAction(tr("Delete"), this, &Editor::actionDelete);
    m_actionPaste = menu->addAction(tr("Paste"), this, &Editor::actionPaste);
    m_actionSelectAll = menu->addAction(tr("SelectAll"), this, &Editor::actionSelectAll);
    menu->addSeparator();
    m_actionRemoveEmptyLines = menu->addAction(tr("Remove Empty Lines"), this, &Editor::actionRemoveEmptyLines);
    m_actionPad =
        menu->addAction(QIcon(QStringLiteral(":/popmenu/images/padding.png")), tr("Pad Space"), this, &Editor::pad);
    menu->addSeparator();

    m_stripMenu = menu->addMenu(tr("&Strip"));
    m_stripMenu->addAction(tr("Left"), this, &Editor::lstrip);
    m_stripMenu->addAction(tr("Right"), this, &Editor::rstrip);
    m_stripMenu->addAction(tr("Left and Right"), this, &Editor::strip);
    menu->addSeparator();

    m_alignMenu = menu->addMenu(tr("&Align"));
    m_alignMenu->addAction(QIcon(QStringLiteral(":/popmenu/images/align_left.png")), tr("&Left"), this,
                           &Editor::alignLeft);
    m_alignMenu->addAction(QIcon(QStringLiteral(":/popmenu/images/align_right.png")), tr("&Right"), this,
                           &Editor::alignRight);
    m_alignMenu->addAction(QIcon(QStringLiteral(":/popmenu/images/align_center.png")), tr("&Center"), this,
                           &Editor::alignCenter);
    menu->addSeparator();

    m_convertMenu = menu->addMenu(tr("&Convert"));
    m_convertMenu->addAction(tr("&Upper"), this, &Editor::upper);
    m_convertMenu->addAction(tr("&Lower"), this, &Editor::lower);
    m_convertMenu->addAction(tr("Upper First Character"), this, &Editor::upperFirstChar);
    m_convertMenu->addAction(tr("Lower First Character"), this, &Editor::lowerFirstChar);
    m_convertMenu->addAction(tr("&Swap Case"), this, &Editor::swapCase);
    menu->addSeparator();

    m_truncateMenu = menu->addMenu(tr("&Truncate"));
    m_truncateMenu->addAction(tr("&Left with 1 character"), this, &Editor::truncateLeft);
    m_truncateMenu->addAction(tr("&Right with 1 character"), this, &Editor::truncateRight);
    menu->addSeparator();

    m_actionDisplayLineNumber = menu->addAction(tr("Display Line Number"));
    m_actionDisplayLineNumber->setCheckable(true);
    // triggered, not toggled: the margin code ticks the action itself and must not loop back here.
    connect(m_actionDisplayLineNumber, &QAction::triggered, this, &Editor::showLineNumber);
    menu->addSeparator();

    m_sortMenu = menu->addMenu(tr("Sort"));
    m_sortMenu->addAction(tr("Alphabetic Ascending"), this, &Editor::sortAscendAsAlpha);
    m_sortMenu->addAction(tr("Alphabetic Descending"), this, &Editor::sortDescendAsAlpha);
    m_sortMenu->addSeparator();
    m_sortMenu->addAction(tr("Numberic Ascending"), this, &Editor::sortAscendAsNumber);
    m_sortMenu->addAction(tr("Numberic Descending"), this, &Editor::sortDescendAsNumber);
    m_sortMenu->addSeparator();
    m_sortMenu->addAction(tr("Random"), this, &Editor::sortRandom);
    m_sortMenu->addSeparator();
    m_sortMenu->addAction(tr("Re&verse"), this, &Editor::reverse);
}

void Editor::updateContextMenu()
{
    const bool selection = hasSelectedText();
    // Looked at as bytes: decoding a million lines only to find a line break would be wasted.
    QByteArray rectangle;
    const char* bytes = nullptr;
    int length = 0;
    if (selection && selectionIsRectangle()) {
        rectangle = getSelText();
        bytes = rectangle.constData();
        length = rectangle.size();
    } else if (selection) {
        length = selectionEnd() - selectionStart();
        bytes = rangePointer(selectionStart(), length);
    } else {
        length = textLength();
        bytes = characterPointer();
    }
    const bool nonEmpty = length > 0;
    const bool multiLine =
        nonEmpty && (std::memchr(bytes, '\n', size_t(length)) || std::memchr(bytes, '\r', size_t(length)));
    const QClipboard* clipboard = QApplication::clipboard();

    m_actionCut->setEnabled(selection);
    m_actionCopy->setEnabled(selection);
    m_actionDelete->setEnabled(selection);
    m_actionPaste->setEnabled(clipboard && !clipboard->text().isEmpty());
    m_sortMenu->menuAction()->setEnabled(multiLine);
    m_actionPad->setEnabled(multiLine);
    m_alignMenu->menuAction()->setEnabled(multiLine);
    m_actionSelectAll->setEnabled(nonEmpty);
    m_actionRemoveEmptyLines->setEnabled(nonEmpty);
    m_stripMenu->menuAction()->setEnabled(nonEmpty);
    m_convertMenu->menuAction()->setEnabled(nonEmpty);
    m_truncateMenu->menuAction()->setEnabled(nonEmpty);
    m_actionDisplayLineNumber->setEnabled(true);
}

// --- clipboard slots ----------------------------------------------------------------------------

void Editor::actionCut()
{
    cut();
}

void Editor::actionCopy()
{
    copy();
}

void Editor::actionPaste()
{
    paste();
}

void Editor::actionDelete()
{
    replaceSelection(QString());
}

void Editor::actionSelectAll()
{
    selectAll();
}

// --- line operations ----------------------------------------------------------------------------

void Editor::widenRectangleToLines()
{
    if (!selectionIsRectangle())
        return;
    const int anchorLine = lineFromPosition(int(send(SCI_GETRECTANGULARSELECTIONANCHOR)));
    const int caretLine = lineFromPosition(int(send(SCI_GETRECTANGULARSELECTIONCARET)));
    setSel(positionFromLine(qMin(anchorLine, caretLine)), lineEndPosition(qMax(anchorLine, caretLine)));
}

void Editor::stopLineOperation()
{
    m_lineStopRequested = true;
    if (m_lineList)
        m_lineList->requestStop();
}

// While a line operation lets events run, the text it read must stay as it is: the editor takes
// no typing (Esc stops the operation instead) and no second operation. The editor may go meanwhile.
class Editor::LineOperationScope
{
public:
    explicit LineOperationScope(Editor* editor) : m_editor(editor), m_readOnly(editor->readOnly())
    {
        editor->m_lineOperationRunning = true;
        editor->setReadOnly(true);
    }
    ~LineOperationScope()
    {
        if (!m_editor)
            return;
        m_editor->setReadOnly(m_readOnly);
        m_editor->m_lineOperationRunning = false;
    }
    LineOperationScope(const LineOperationScope&) = delete;
    LineOperationScope& operator=(const LineOperationScope&) = delete;

private:
    QPointer<Editor> m_editor;
    bool m_readOnly;
};

void Editor::keyPressEvent(QKeyEvent* event)
{
    if (m_lineOperationRunning) {
        if (event->key() == Qt::Key_Escape)
            stopLineOperation();
        event->accept();
        return;
    }
    ScintillaEdit::keyPressEvent(event);
}

template <typename Step> void Editor::applyLineStep(Step step)
{
    if (m_lineOperationRunning)
        return;
    startBusy();
    // The pieces of a rectangle written back as lines would be spread over new lines; the whole
    // lines it spans are what a line operation can rewrite in place.
    widenRectangleToLines();
    // A selection that ends with a line break keeps it: the lines after it must not be pulled up
    // onto the last selected one.
    QString trailingBreak;
    // Built straight from the temporary so that the steps change the only copy of the list.
    LineList list(selectedLines(&trailingBreak), eolFormat(), isUnicode());
    // The per-line steps let events through; the editor may be gone when they return.
    const QPointer<Editor> alive(this);
    m_lineList = &list;
    {
        const LineOperationScope running(this);
        step(list);
    }
    if (!alive)
        return;
    m_lineList = nullptr;
    // The break after the last selected line goes with it when no line is left.
    setTextKeepView(list.lines().isEmpty() ? QString() : list.joined() + trailingBreak, RestoreView);
    stopBusy();
}

template <typename Step> void Editor::applyByteLineStep(ByteLineOps::Operation op, Step fallback)
{
    if (m_lineOperationRunning)
        return;
    startBusy();
    widenRectangleToLines();
    // A copy of the bytes: events run during the step, and an edit then may move the document's.
    QByteArray bytes;
    if (!hasSelectedText()) {
        bytes = getText();
    } else if (selectionIsRectangle()) {
        bytes = getSelText();
    } else {
        const int start = selectionStart();
        const int length = selectionEnd() - start;
        bytes = QByteArray(rangePointer(start, length), length);
    }
    // A selection that ends with a line break keeps it (see applyLineStep); the lines are the bytes
    // before it.
    QByteArray trailingBreak;
    if (hasSelectedText() && !bytes.isEmpty() && (bytes.endsWith('\n') || bytes.endsWith('\r'))) {
        const int size = bytes.endsWith("\r\n") ? 2 : 1;
        trailingBreak = bytes.right(size);
        bytes.chop(size);
    }
    m_lineStopRequested = false;
    const QPointer<Editor> alive(this);
    ByteLineOps::Result result;
    {
        const LineOperationScope running(this);
        result = ByteLineOps::run(op, bytes, eolString(eolFormat()).toLatin1(), isUnicode(),
                                  [alive] { return !alive || alive->m_lineStopRequested; });
    }
    if (!alive)
        return;
    switch (result.outcome) {
    case ByteLineOps::Outcome::NeedsStrings:
        stopBusy();
        applyLineStep(fallback);
        return;
    case ByteLineOps::Outcome::Stopped:
        break;
    case ByteLineOps::Outcome::Done:
        // The break after the last selected line goes with it when no line is left.
        if (result.noLines)
            result.bytes.clear();
        else
            result.bytes.append(trailingBreak);
        writeLineResult(result.bytes);
        if (!alive)
            return;
        break;
    }
    stopBusy();
}

void Editor::writeLineResult(const QByteArray& bytes)
{
    // Some 50 ms of the component's work at a time: each change also costs it time in proportion to
    // the lines after it, so smaller pieces would cost more in all, and a text up to one and a half
    // pieces goes in at once.
    constexpr int Piece = 1 << 23;
    const bool whole = selectionEmpty();
    const int start = whole ? 0 : selectionStart();
    const int end = whole ? textLength() : selectionEnd();
    if (qMax(bytes.size(), end - start) <= Piece / 2 * 3 || readOnly() || selectionIsRectangle()) {
        setBytesKeepView(bytes, RestoreView);
        return;
    }
    const ViewPlace place(this);
    // The window repaints between the pieces; nothing may type into the text meanwhile.
    const QPointer<Editor> alive(this);
    EventPacer pacer;
    auto letEventsRun = [&] {
        setReadOnly(true);
        pacer.poll();
        if (!alive)
            return false;
        setReadOnly(false);
        return true;
    };
    // Every change costs the component time in proportion to its position too (its accessibility
    // support counts the characters up to it), so all of them are made at the start: the old text
    // goes from there a piece at a time, the new one comes in from its last piece to its first.
    beginUndoAction();
    for (int left = end - start; left > 0;) {
        // Pieces end after an LF, as below; a text without one goes in one.
        int size = left;
        if (left > Piece / 2 * 3) {
            const char* rest = rangePointer(start + Piece, left - Piece);
            const void* lf = std::memchr(rest, '\n', size_t(left - Piece));
            size = lf ? Piece + int(static_cast<const char*>(lf) - rest) + 1 : left;
        }
        setTargetRange(start, start + size);
        replaceTarget(QByteArray());
        left -= size;
        if (!letEventsRun())
            return;
    }
    for (int at = bytes.size(); at > 0;) {
        // Pieces end after a line break, so that no CR LF and no character is cut in two.
        int from = 0;
        if (at > Piece) {
            const char* data = bytes.constData();
            for (int k = at - Piece; k > 0 && from == 0; --k) {
                if (data[k - 1] == '\n' || (data[k - 1] == '\r' && data[k] != '\n'))
                    from = k;
            }
        }
        setTargetRange(start, start);
        replaceTarget(QByteArray::fromRawData(bytes.constData() + from, at - from));
        at = from;
        if (at > 0 && !letEventsRun())
            return;
    }
    endUndoAction();
    setEmptySelection(start + bytes.size());
    place.restore(this);
}

void Editor::upper()
{
    applyByteLineStep(ByteLineOps::Operation::Upper, [](LineList& list) { list.toUpper(); });
}

void Editor::lower()
{
    applyByteLineStep(ByteLineOps::Operation::Lower, [](LineList& list) { list.toLower(); });
}

void Editor::upperFirstChar()
{
    applyByteLineStep(ByteLineOps::Operation::UpperFirstChar, [](LineList& list) { list.upperFirstChar(); });
}

void Editor::lowerFirstChar()
{
    applyByteLineStep(ByteLineOps::Operation::LowerFirstChar, [](LineList& list) { list.lowerFirstChar(); });
}

void Editor::swapCase()
{
    applyByteLineStep(ByteLineOps::Operation::SwapCase, [](LineList& list) { list.swapCase(); });
}

void Editor::truncateLeft()
{
    applyByteLineStep(ByteLineOps::Operation::TruncateLeft, [](LineList& list) { list.truncateLeft(); });
}

void Editor::truncateRight()
{
    applyByteLineStep(ByteLineOps::Operation::TruncateRight, [](LineList& list) { list.truncateRight(); });
}

void Editor::lstrip()
{
    applyByteLineStep(ByteLineOps::Operation::LStrip, [](LineList& list) { list.lstrip(); });
}

void Editor::rstrip()
{
    applyByteLineStep(ByteLineOps::Operation::RStrip, [](LineList& list) { list.rstrip(); });
}

void Editor::strip()
{
    applyByteLineStep(ByteLineOps::Operation::Strip, [](LineList& list) { list.strip(); });
}

void Editor::actionRemoveEmptyLines()
{
    applyByteLineStep(ByteLineOps::Operation::RemoveEmptyLines, [](LineList& list) { list.removeEmptyLines(); });
}

void Editor::pad()
{
    applyByteLineStep(ByteLineOps::Operation::Pad, [](LineList& list) { list.pad(); });
}

void Editor::alignLeft()
{
    applyByteLineStep(ByteLineOps::Operation::AlignLeft, [](LineList& list) { list.align(LineList::AlignLeft); });
}

void Editor::alignRight()
{
    applyByteLineStep(ByteLineOps::Operation::AlignRight, [](LineList& list) { list.align(LineList::AlignRight); });
}

void Editor::alignCenter()
{
    applyByteLineStep(ByteLineOps::Operation::AlignCenter, [](LineList& list) { list.align(LineList::AlignCenter); });
}

void Editor::sortAscendAsAlpha()
{
    applyByteLineStep(ByteLineOps::Operation::SortTextAscending,
                      [](LineList& list) { list.sort(LineList::SortText, Qt::AscendingOrder); });
}

void Editor::sortDescendAsAlpha()
{
    applyByteLineStep(ByteLineOps::Operation::SortTextDescending,
                      [](LineList& list) { list.sort(LineList::SortText, Qt::DescendingOrder); });
}

void Editor::sortAscendAsNumber()
{
    applyByteLineStep(ByteLineOps::Operation::SortNumberAscending,
                      [](LineList& list) { list.sort(LineList::SortNumber, Qt::AscendingOrder); });
}

void Editor::sortDescendAsNumber()
{
    applyByteLineStep(ByteLineOps::Operation::SortNumberDescending,
                      [](LineList& list) { list.sort(LineList::SortNumber, Qt::DescendingOrder); });
}

void Editor::sortRandom()
{
    applyByteLineStep(ByteLineOps::Operation::Shuffle, [](LineList& list) { list.shuffle(); });
}

void Editor::reverse()
{
    applyByteLineStep(ByteLineOps::Operation::Reverse, [](LineList& list) { list.reverse(); });
}
