#pragma once
// The Scintilla text component with its messages as named member functions and its notifications
// as plain Qt signals. Text goes in and out as bytes; decoding is the business of Editor.

#include <Qsci/qsciscintillabase.h>

#include <QByteArray>

class ScintillaEdit : public QsciScintillaBase
{
    Q_OBJECT
public:
    explicit ScintillaEdit(QWidget* parent = nullptr);

    // Raw message access for anything without a wrapper below.
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const
    {
        return SendScintilla(message, wParam, lParam);
    }
    long sendString(unsigned int message, unsigned long wParam, const char* text) const
    {
        return SendScintilla(message, static_cast<uintptr_t>(wParam), text);
    }

    // Encoding and line ends
    void setCodePage(int codePage) { send(SCI_SETCODEPAGE, codePage); }
    int codePage() const { return int(send(SCI_GETCODEPAGE)); }
    void setEOLMode(int mode) { send(SCI_SETEOLMODE, mode); }
    int eOLMode() const { return int(send(SCI_GETEOLMODE)); }
    void convertEOLs(int mode) { send(SCI_CONVERTEOLS, mode); }

    // Whole text
    int textLength() const { return int(send(SCI_GETTEXTLENGTH)); }
    QByteArray getText() const;
    // Replaces the whole document in one undo step; NUL bytes are kept.
    void setText(const QByteArray& bytes);
    void clearAll() { send(SCI_CLEARALL); }
    // Contiguous view of the whole document, valid until the next change.
    const char* characterPointer() const;
    // Contiguous view of length bytes from position, valid until the next change.
    const char* rangePointer(int position, int length) const;
    QByteArray textRange(int start, int end) const;
    void appendBytes(const QByteArray& bytes) { sendString(SCI_APPENDTEXT, bytes.size(), bytes.constData()); }
    void addText(const QByteArray& bytes) { sendString(SCI_ADDTEXT, bytes.size(), bytes.constData()); }

    // Lines and positions
    int lineCount() const { return int(send(SCI_GETLINECOUNT)); }
    // Length of the line including its line break.
    int lineLength(int line) const { return int(send(SCI_LINELENGTH, line)); }
    // The line including its line break.
    QByteArray getLine(int line) const;
    int lineFromPosition(int position) const { return int(send(SCI_LINEFROMPOSITION, position)); }
    int positionFromLine(int line) const { return int(send(SCI_POSITIONFROMLINE, line)); }
    int lineEndPosition(int line) const { return int(send(SCI_GETLINEENDPOSITION, line)); }
    int positionAfter(int position) const { return int(send(SCI_POSITIONAFTER, position)); }
    int positionBefore(int position) const { return int(send(SCI_POSITIONBEFORE, position)); }
    int column(int position) const { return int(send(SCI_GETCOLUMN, position)); }

    // Caret and selection
    int currentPos() const { return int(send(SCI_GETCURRENTPOS)); }
    int anchor() const { return int(send(SCI_GETANCHOR)); }
    void gotoPos(int position) { send(SCI_GOTOPOS, position); }
    void setSel(int anchor, int caret) { send(SCI_SETSEL, anchor, caret); }
    void setEmptySelection(int position) { send(SCI_SETEMPTYSELECTION, position); }
    int selectionStart() const { return int(send(SCI_GETSELECTIONSTART)); }
    int selectionEnd() const { return int(send(SCI_GETSELECTIONEND)); }
    bool selectionEmpty() const { return send(SCI_GETSELECTIONEMPTY) != 0; }
    bool selectionIsRectangle() const { return send(SCI_SELECTIONISRECTANGLE) != 0; }
    QByteArray getSelText() const;
    void replaceSel(const QByteArray& bytes) { sendString(SCI_REPLACESEL, 0, bytes.constData()); }
    void selectAll() { send(SCI_SELECTALL); }
    void scrollCaret() { send(SCI_SCROLLCARET); }
    void setAnchor(int position) { send(SCI_SETANCHOR, position); }
    void callTipCancel() { send(SCI_CALLTIPCANCEL); }

    // Target search and replace
    void setTargetRange(int start, int end) { send(SCI_SETTARGETRANGE, start, end); }
    void setTargetStart(int position) { send(SCI_SETTARGETSTART, position); }
    void setTargetEnd(int position) { send(SCI_SETTARGETEND, position); }
    int targetStart() const { return int(send(SCI_GETTARGETSTART)); }
    int targetEnd() const { return int(send(SCI_GETTARGETEND)); }
    void setSearchFlags(int flags) { send(SCI_SETSEARCHFLAGS, flags); }
    int searchFlags() const { return int(send(SCI_GETSEARCHFLAGS)); }
    // Position of the match or -1; the target then spans the match.
    int searchInTarget(const QByteArray& bytes)
    {
        return int(sendString(SCI_SEARCHINTARGET, bytes.size(), bytes.constData()));
    }
    // What group n (0 the whole match) of the last regular-expression search matched.
    QByteArray tag(int n) const;
    // Both return the length of the replacement.
    int replaceTarget(const QByteArray& bytes)
    {
        return int(sendString(SCI_REPLACETARGET, bytes.size(), bytes.constData()));
    }
    int replaceTargetRE(const QByteArray& bytes)
    {
        return int(sendString(SCI_REPLACETARGETRE, bytes.size(), bytes.constData()));
    }

    // Scrolling
    int firstVisibleLine() const { return int(send(SCI_GETFIRSTVISIBLELINE)); }
    void setFirstVisibleLine(int line) { send(SCI_SETFIRSTVISIBLELINE, line); }
    int xOffset() const { return int(send(SCI_GETXOFFSET)); }
    void setXOffset(int offset) { send(SCI_SETXOFFSET, offset); }
    int linesOnScreen() const { return int(send(SCI_LINESONSCREEN)); }
    void lineScroll(int columns, int lines) { send(SCI_LINESCROLL, columns, lines); }
    int visibleFromDocLine(int line) const { return int(send(SCI_VISIBLEFROMDOCLINE, line)); }
    // Unfolds what hides the line; the second also scrolls it into view by the caret policy.
    void ensureVisible(int line) { send(SCI_ENSUREVISIBLE, line); }
    void ensureVisibleEnforcePolicy(int line) { send(SCI_ENSUREVISIBLEENFORCEPOLICY, line); }

    // Appearance; colours are 0xBBGGRR, alphas 0..255 or 256 for opaque.
    void setCaretLineVisible(bool visible) { send(SCI_SETCARETLINEVISIBLE, visible); }
    bool caretLineVisible() const { return send(SCI_GETCARETLINEVISIBLE) != 0; }
    void setCaretLineVisibleAlways(bool always) { send(SCI_SETCARETLINEVISIBLEALWAYS, always); }
    void setCaretLineBack(int colour) { send(SCI_SETCARETLINEBACK, colour); }
    int caretLineBack() const { return int(send(SCI_GETCARETLINEBACK)); }
    void setCaretLineBackAlpha(int alpha) { send(SCI_SETCARETLINEBACKALPHA, alpha); }
    int caretLineBackAlpha() const { return int(send(SCI_GETCARETLINEBACKALPHA)); }
    void setSelBack(bool useSetting, int colour) { send(SCI_SETSELBACK, useSetting, colour); }
    void setSelAlpha(int alpha) { send(SCI_SETSELALPHA, alpha); }
    int selAlpha() const { return int(send(SCI_GETSELALPHA)); }
    void styleSetFore(int style, int colour) { send(SCI_STYLESETFORE, style, colour); }
    int styleFore(int style) const { return int(send(SCI_STYLEGETFORE, style)); }
    void styleSetBack(int style, int colour) { send(SCI_STYLESETBACK, style, colour); }
    int styleBack(int style) const { return int(send(SCI_STYLEGETBACK, style)); }
    void setMarginTypeN(int margin, int type) { send(SCI_SETMARGINTYPEN, margin, type); }
    int marginTypeN(int margin) const { return int(send(SCI_GETMARGINTYPEN, margin)); }
    void setMarginWidthN(int margin, int width) { send(SCI_SETMARGINWIDTHN, margin, width); }
    int marginWidthN(int margin) const { return int(send(SCI_GETMARGINWIDTHN, margin)); }
    int textWidth(int style, const QByteArray& text) const
    {
        return int(sendString(SCI_TEXTWIDTH, style, text.constData()));
    }
    void setTabWidth(int width) { send(SCI_SETTABWIDTH, width); }
    int tabWidth() const { return int(send(SCI_GETTABWIDTH)); }
    void setUseTabs(bool useTabs) { send(SCI_SETUSETABS, useTabs); }
    bool useTabs() const { return send(SCI_GETUSETABS) != 0; }
    void setViewWS(int mode) { send(SCI_SETVIEWWS, mode); }
    int viewWS() const { return int(send(SCI_GETVIEWWS)); }
    void setViewEOL(bool visible) { send(SCI_SETVIEWEOL, visible); }
    bool viewEOL() const { return send(SCI_GETVIEWEOL) != 0; }
    void setZoom(int zoom) { send(SCI_SETZOOM, zoom); }
    int zoom() const { return int(send(SCI_GETZOOM)); }
    // Named after the message: a QWidget::setCursor overload taking int would win over the
    // QCursor one for plain Qt::CursorShape arguments.
    void setCursorType(int type) { send(SCI_SETCURSOR, type); }
    int cursorType() const { return int(send(SCI_GETCURSOR)); }

    // Editing and undo
    void beginUndoAction() { send(SCI_BEGINUNDOACTION); }
    void endUndoAction() { send(SCI_ENDUNDOACTION); }
    bool canUndo() const { return send(SCI_CANUNDO) != 0; }
    bool canRedo() const { return send(SCI_CANREDO) != 0; }
    void undo() { send(SCI_UNDO); }
    void redo() { send(SCI_REDO); }
    void emptyUndoBuffer() { send(SCI_EMPTYUNDOBUFFER); }
    void setSavePoint() { send(SCI_SETSAVEPOINT); }
    bool modify() const { return send(SCI_GETMODIFY) != 0; }
    void setReadOnly(bool readOnly) { send(SCI_SETREADONLY, readOnly); }
    bool readOnly() const { return send(SCI_GETREADONLY) != 0; }
    void cut() { send(SCI_CUT); }
    void copy() { send(SCI_COPY); }
    void paste() { send(SCI_PASTE); }
    bool canPaste() const { return send(SCI_CANPASTE) != 0; }
    void clear() { send(SCI_CLEAR); }
    void setModEventMask(int mask) { send(SCI_SETMODEVENTMASK, mask); }
    int modEventMask() const { return int(send(SCI_GETMODEVENTMASK)); }
    // One change notice for a batch of edits made while notices were off; the receivers learn that
    // the text changed and by how many lines, not where.
    void announceChange(int linesAdded);

signals:
    void updateUi();
    void painted();
    // type is the SC_MOD_* set; text is the inserted or deleted bytes, empty for other changes.
    void modified(int type, int position, int length, int linesAdded, const QByteArray& text, int line, int foldNow,
                  int foldPrev);
    void linesAdded(int linesAdded);
    void savePointChanged(bool dirty);

private:
    void notifyModified(int position, int type, const char* text, int length, int added, int line, int foldNow,
                        int foldPrev, int token, int annotationLinesAdded);
};
