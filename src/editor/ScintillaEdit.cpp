#include "editor/ScintillaEdit.h"

#include "engine/MemoryHints.h"

#include <cstring>

ScintillaEdit::ScintillaEdit(QWidget* parent) : QsciScintillaBase(parent)
{
    // Nothing is ever styled (no lexers), so the document keeps no style byte per character: that
    // halves the memory of a large text.
    const long document = SendScintilla(SCI_CREATEDOCUMENT, 0UL, long(SC_DOCUMENTOPTION_STYLES_NONE));
    SendScintilla(SCI_SETDOCPOINTER, 0UL, document);
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, document);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { emit updateUi(); });
    connect(this, &QsciScintillaBase::SCN_PAINTED, this, &ScintillaEdit::painted);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &ScintillaEdit::notifyModified);
    connect(this, &QsciScintillaBase::SCN_SAVEPOINTLEFT, this, [this] { emit savePointChanged(true); });
    connect(this, &QsciScintillaBase::SCN_SAVEPOINTREACHED, this, [this] { emit savePointChanged(false); });
}

QByteArray ScintillaEdit::getText() const
{
    const int length = textLength();
    if (length <= 0)
        return QByteArray();
    // Copied from both sides of the gap: the character pointer would first move the gap to the end,
    // a second copy of a text of many megabytes.
    const int gap = qBound(0, int(send(SCI_GETGAPPOSITION)), length);
    QByteArray bytes(length, Qt::Uninitialized);
    prefaultForWrite(bytes.constData(), size_t(length));
    if (gap > 0)
        std::memcpy(bytes.data(), rangePointer(0, gap), size_t(gap));
    if (gap < length)
        std::memcpy(bytes.data() + gap, rangePointer(gap, length - gap), size_t(length - gap));
    return bytes;
}

void ScintillaEdit::setText(const QByteArray& bytes)
{
    // SCI_SETTEXT takes a C string and would stop at the first NUL byte.
    beginUndoAction();
    setTargetRange(0, textLength());
    replaceTarget(bytes);
    endUndoAction();
}

const char* ScintillaEdit::characterPointer() const
{
    return static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
}

const char* ScintillaEdit::rangePointer(int position, int length) const
{
    return reinterpret_cast<const char*>(send(SCI_GETRANGEPOINTER, position, length));
}

QByteArray ScintillaEdit::textRange(int start, int end) const
{
    start = qBound(0, start, textLength());
    end = qBound(start, end, textLength());
    return start < end ? QByteArray(rangePointer(start, end - start), end - start) : QByteArray();
}

QByteArray ScintillaEdit::getLine(int line) const
{
    if (line < 0 || line >= lineCount())
        return QByteArray();
    const int start = positionFromLine(line);
    return textRange(start, start + lineLength(line));
}

QByteArray ScintillaEdit::getSelText() const
{
    if (!selectionIsRectangle())
        return textRange(selectionStart(), selectionEnd());
    // A rectangular selection is several pieces joined by line breaks; only the component can build it.
    // The size it asks for counts the terminating NUL.
    const int size = int(send(SCI_GETSELTEXT));
    if (size <= 1)
        return QByteArray();
    QByteArray bytes(size, '\0');
    SendScintilla(SCI_GETSELTEXT, 0UL, static_cast<void*>(bytes.data()));
    bytes.chop(1);
    return bytes;
}

QByteArray ScintillaEdit::tag(int n) const
{
    const int size = int(SendScintilla(SCI_GETTAG, static_cast<unsigned long>(n), static_cast<void*>(nullptr)));
    if (size <= 0)
        return QByteArray();
    // Room for the terminating NUL the component writes.
    QByteArray bytes(size + 1, '\0');
    SendScintilla(SCI_GETTAG, static_cast<unsigned long>(n), static_cast<void*>(bytes.data()));
    bytes.resize(size);
    return bytes;
}

void ScintillaEdit::notifyModified(int position, int type, const char* text, int length, int added, int line,
                                   int foldNow, int foldPrev, int /*token*/, int /*annotationLinesAdded*/)
{
    // The bytes are Scintilla's own and valid only while the signal is delivered; not copying them
    // matters when a document of many megabytes is inserted or deleted at once. A receiver that
    // keeps them, or a queued connection, must copy.
    const QByteArray bytes = text && length > 0 ? QByteArray::fromRawData(text, length) : QByteArray();
    emit modified(type, position, length, added, bytes, line, foldNow, foldPrev);
    if (added != 0 && (type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)))
        emit linesAdded(added);
}

void ScintillaEdit::announceChange(int added)
{
    emit modified(SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT, 0, textLength(), added, QByteArray(), 0, 0, 0);
    if (added != 0)
        emit linesAdded(added);
}
