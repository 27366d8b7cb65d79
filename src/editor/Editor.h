#pragma once
// The text area used everywhere in the program: a Scintilla editor that follows the editor
// preferences, converts between strings and the component's bytes (UTF-8 or Latin-1), offers text
// access by document, line and selection, and the line operations of its context menu.

#include "editor/ByteLineOps.h"
#include "editor/ScintillaEdit.h"
#include "editor/TextUtils.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class CaretSyncTarget;
class LineList;
class ScintillaLoader;
class Preferences;
class QAction;
class QMenu;
class QProgressIndicator;

class Editor : public ScintillaEdit
{
    Q_OBJECT
public:
    explicit Editor(QWidget* parent = nullptr);
    ~Editor() override;

    // Text access; NUL bytes in the document come back as U+0000 rather than ending the text.
    QString text() const;
    QString lineText(int line) const;
    QString selectedText() const;
    QString selectedOrAllText() const;
    // One entry per line of the document, without line breaks; an empty document has one empty line.
    QStringList allLines() const;
    // The selected text cut at its line breaks (a final break adds no empty line), or allLines.
    QStringList selectedLines() const;

    QByteArray toEditorBytes(const QString& text) const;
    QString fromEditorBytes(const char* bytes, int length) const;

    void appendText(const QString& text);
    // Puts CR LF before the text unless the document is empty.
    void appendLine(const QString& text);
    void appendLines(const QStringList& lines);
    void replaceSelection(const QString& text);
    void replaceSelectionBytes(const QByteArray& bytes);
    // Replaces the target range; returns the byte length of what was put in.
    int replaceTargetText(const QString& text, bool regex);
    // Replaces the selection, or the whole text when nothing is selected, in one undo step; with
    // restore the caret's line and character index and the scroll position stay where they were.
    void setTextKeepView(const QString& text, bool restore);
    // The same with the text given as editor bytes (UTF-8 or Latin-1, as isUnicode says).
    void setBytesKeepView(const QByteArray& bytes, bool restore);
    void setLines(const QStringList& lines, bool restore);
    // Values for the restore flag of the two above.
    static constexpr bool RestoreView = true;
    static constexpr bool ResetView = false;
    // Replaces the whole text whatever is selected, in one undo step, keeping caret and view.
    void setWholeTextKeepView(const QString& text);
    void setWholeBytesKeepView(const QByteArray& bytes);
    // The same for a text of many megabytes: put in a piece at a time, still as one undo step, with
    // between() called after every piece but the last so that events can run. The document is
    // read-only while they do, so that nothing typed lands in the half-made text. False, changing
    // nothing, for a read-only editor; false too when the editor was deleted during between(), so
    // callers hold it by a QPointer.
    bool setWholeBytesInPieces(const QByteArray& bytes, const std::function<void()>& between);
    // Replaces the whole text as a fresh document, keeping the view: not undoable, and converted
    // in pieces so that a text of many megabytes needs no second full copy on the way in.
    void loadText(const QString& text);
    // The same with editor bytes, handed to the component as they are.
    void loadBytes(const QByteArray& bytes);

    // Fills a new document piece by piece and makes it the editor's text at finish(), as loadBytes
    // does: not undoable, view kept. The pieces go straight into the component's storage, with no
    // notice or undo record on the way, so that a text of any size needs no copy of its own. The
    // editor may go away meanwhile; a loader dropped unfinished leaves the editor as it was.
    class Loader
    {
    public:
        Loader(Editor* editor, qint64 sizeHint);
        ~Loader();
        Loader(const Loader&) = delete;
        Loader& operator=(const Loader&) = delete;
        // False when the component could not take the bytes (out of memory).
        bool add(const QByteArray& bytes);
        void finish();

    private:
        QPointer<Editor> m_editor;
        ScintillaLoader* m_loader = nullptr;
        bool m_failed = false;
    };

    // Line and index (characters from the line start) to and from component positions.
    void lineIndexFromPosition(int position, int* line, int* index) const;
    int positionFromLineIndex(int line, int index) const;
    void setCursorPosition(int line, int index);
    void cursorPosition(int* line, int* index) const;
    // False and all four -1 when nothing is selected.
    bool getSelection(int* lineFrom, int* indexFrom, int* lineTo, int* indexTo) const;
    void selectionRange(int* start, int* end) const;
    bool hasSelectedText() const;
    void removeSelectedText();

    // Setting the format neither converts existing line breaks nor signals.
    EolFormat eolFormat() const;
    void setEolFormat(EolFormat format);
    // Rewrites every line break of the document, as one undo step.
    void convertEols(EolFormat format);
    bool isUnicode() const;
    void setUnicode(bool unicode);
    void setViewWhitespace(bool visible);
    // Clamped to -10 .. 20.
    void setZoomFactor(int zoom);

    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    void startBusy();
    void stopBusy();
    // Asks a running line operation to stop at its next look at events: a per-line step keeps the
    // lines done so far, a sort or reverse leaves the text as it was.
    void stopLineOperation();

    void setColumnManager(CaretSyncTarget* manager) { m_columnManager = manager; }
    // Follows another column: the first visible line and the caret line relative to it.
    void scrollToLine(int firstVisibleLine, int line);
    // With a parent a failure is reported to the user in an "Error" box.
    bool saveToFile(const QString& path, QWidget* messageParent = nullptr);

    // --- searching ---
    // False when the text has a character this editor cannot hold (outside Latin-1 in ANSI mode):
    // searching for the "?" it would be written as would find the wrong text.
    bool canHold(const QString& text) const;
    // Searches from `from` towards `to` (backwards when from > to) with the component's search
    // flags; the match start, or -1 (also for an empty range). The target then spans the match.
    int searchRange(const QByteArray& expr, int from, int to, int flags);
    struct Match
    {
        int start = -1;
        int end = -1;
        // Found only after starting again from the other end of the document.
        bool wrapped = false;
        bool found() const { return start >= 0; }
    };
    // One search step from `from` to the document's end in its direction, then, with wrap, from the
    // other end. With skipEmptyAtFrom an empty match at `from`, which is where the last step ended,
    // is passed over by searching again from the next character, so that steps always move on.
    Match searchStep(const QByteArray& expr, int flags, int from, bool forward, bool wrap, bool skipEmptyAtFrom);
    // Replaces every match in from..to as one undo step and returns how many were replaced; the
    // matches are those of the text as it was, an empty one right after a match is passed over.
    // Events run at most every few ms while the matches are sought, the document read-only
    // meanwhile, and stopRequested is asked then: a stop replaces the matches found so far. One
    // change notice is sent at the end. The events may delete the editor: callers hold it by a
    // QPointer.
    int replaceAll(const QString& expr, const QString& replacement, int flags, int from, int to,
                   const std::function<bool()>& stopRequested = {});

    // The repeatable search behind Find Next and Find Previous. findFirst searches from the
    // caret (line or index negative) or from line and index; findNext goes on in the direction it
    // was given, findPrevious the other way. A step that finds nothing, even after wrapping, ends
    // the search.
    bool findFirst(const QString& expr, bool re, bool cs, bool wo, bool wrap, bool forward = true, int line = -1,
                   int index = -1, bool show = true, bool posix = false);
    // Starts the repeatable search without searching: the next step goes on from the selection.
    void startFind(const QString& expr, bool re, bool cs, bool wo, bool wrap, bool forward, bool show, bool posix);
    bool findNext();
    bool findPrevious();
    bool isFinding() const { return m_find.status == FindState::Finding; }

    // The context menu with the enabled state of its items brought up to date.
    QMenu* contextMenu() const { return m_contextMenu; }
    void updateContextMenu();
    int lineNumberMarginWidth() const { return marginWidthN(1); }

    static int toScintillaColor(const QColor& color);
    // 255 (opaque) becomes the component's no-alpha value 256.
    static int toScintillaAlpha(const QColor& color);
    static int eolModeFromFormat(EolFormat format);
    static EolFormat formatFromEolMode(int mode);

signals:
    void onScroll(Editor* editor);
    void onCodecChanged();
    void onEolModeChanged();
    // The caret's line and its column with tabs expanded.
    void cursorPositionChanged(int line, int column);
    void selectionChanged();
    void textChanged();

public slots:
    void showLineNumber(bool bChecked);
    void reverse();
    void alignLeft();
    void alignRight();
    void alignCenter();
    void pad();
    void actionCut();
    void actionCopy();
    void actionPaste();
    void actionDelete();
    void actionSelectAll();
    void actionRemoveEmptyLines();
    void upper();
    // Hides QWidget::lower(), which stacks the widget; here it is the line operation.
    void lower();
    void upperFirstChar();
    void lowerFirstChar();
    void truncateLeft();
    void truncateRight();
    void lstrip();
    void rstrip();
    void strip();
    void swapCase();
    void sortAscendAsAlpha();
    void sortDescendAsAlpha();
    void sortAscendAsNumber();
    void sortDescendAsNumber();
    void sortRandom();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // Esc stops a line operation under way; other keys wait for its end.
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private slots:
    void onLinesChanged(int addedLines);
    void onShowLineNumberChanged(bool bShow);
    void onShowSpaceChanged(bool bShow);
    void onShowEolChanged(bool bShow);
    void onHighlightCurrentLineChanged(bool bShow);
    void onHighlightCurrentLineColorChanged(const QColor& color);
    void onEditorFontColorChanged(const QColor& color);
    void onEditorSelectionBackgroundColorChanged(const QColor& color);
    void onTabWidthChanged(int width);
    void onEditorFontChanged(const QFont& font);
    void onUseSpaceChanged(bool bUse);
    void onUseUnicodeChanged(bool bUse);
    void onEolFormatChanged(EolFormat format);
    void slotUpdateUi();
    void slotPainted();
    void onTextModified(int type, int position, int length, int linesAdded, const QByteArray& text, int line,
                        int foldNow, int foldPrev);

private:
    // Replaces the text by count pieces given by piece(i), put in from the last to the first;
    // size, the expected number of bytes, sizes the buffer once.
    void loadPieces(int count, int size, const std::function<QByteArray(int)>& piece);
    // Where the caret and the view are, to be put back after the text is replaced.
    struct ViewPlace
    {
        explicit ViewPlace(const Editor* editor);
        void restore(Editor* editor) const;
        int line = 0;
        int index = 0;
        int firstLine = 0;
        int horizontal = 0;
    };
    void buildContextMenu();
    void updateLineNumberMargin();
    // onScroll once for every move of the view, whichever way the view was moved.
    void announceScroll();
    // Splits bytes at CR LF, LF and CR. keepLastEmpty gives the empty rest after a final break (and
    // one line for no bytes); *trailingBreak, when given, receives that final break.
    QStringList splitBytes(const char* bytes, int length, bool keepLastEmpty, QString* trailingBreak) const;
    QStringList selectedLines(QString* trailingBreak) const;
    // A rectangle becomes the stream selection of the whole lines it spans.
    void widenRectangleToLines();
    // The common frame of the line operations: selected lines (or all), one step, one replacement.
    template <typename Step> void applyLineStep(Step step);
    // The same frame on the editor's bytes through ByteLineOps; fallback is the LineList step for a
    // text that only strings read right.
    template <typename Step> void applyByteLineStep(ByteLineOps::Operation op, Step fallback);
    // setBytesKeepView(bytes, RestoreView) for the result of a line operation: a large text is
    // written a piece at a time, events running in between, still as one undo step.
    void writeLineResult(const QByteArray& bytes);

    struct FindState
    {
        enum Status { Finding, Idle };
        Status status = Idle;
        QString expr;
        bool wrap = false;
        bool forward = true;
        bool startForward = true;
        int flags = 0;
        // The last match, or the start point before the first step: a forward step goes on from
        // its end, a backward one from its start.
        int matchStart = 0;
        int matchEnd = 0;
        bool show = true;
    };
    QByteArray substituteTags(const QByteArray& replacement) const;
    void beginFind(const QString& expr, bool re, bool cs, bool wo, bool wrap, bool forward, bool show, bool posix);
    bool doFind(bool skipEmptyAtStart);
    FindState m_find;

    Preferences* m_preferences = nullptr;
    QProgressIndicator* m_busy = nullptr;
    QPointer<QWidget> m_parentWidget;
    bool m_showLineNumbers = true;
    QString m_name;
    CaretSyncTarget* m_columnManager = nullptr;

    QMenu* m_contextMenu = nullptr;
    QMenu* m_stripMenu = nullptr;
    QMenu* m_alignMenu = nullptr;
    QMenu* m_convertMenu = nullptr;
    QMenu* m_truncateMenu = nullptr;
    QMenu* m_sortMenu = nullptr;
    QAction* m_actionCut = nullptr;
    QAction* m_actionCopy = nullptr;
    QAction* m_actionDelete = nullptr;
    QAction* m_actionPaste = nullptr;
    QAction* m_actionSelectAll = nullptr;
    QAction* m_actionRemoveEmptyLines = nullptr;
    QAction* m_actionPad = nullptr;
    QAction* m_actionDisplayLineNumber = nullptr;

    // The running line operation's stop request, and its LineList when it takes the string path.
    bool m_lineStopRequested = false;
    bool m_lineOperationRunning = false;
    class LineOperationScope;
    LineList* m_lineList = nullptr;

    int m_lastCaretPosition = -1;
    int m_lastSelectionStart = -1;
    int m_lastSelectionEnd = -1;
    int m_lastScrollLine = 0;
    int m_lastScrollX = 0;
};
