#pragma once
// The columns of a run without a window: a column's text from the template file, and a column read
// from a file of any size. Both give the lines the window's column editor would give for that text:
// in ANSI mode a character outside Latin-1 reads as "?", and a NUL ends a line's text.

#include "engine/MergeColumn.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// What the editor makes of a text it is given and then read back: UTF-8 keeps it; ANSI (Latin-1)
// turns each character outside Latin-1 into one "?".
QString asEditorText(const QString& text, bool unicode);
// The bytes the editor holds for text that went through asEditorText.
QByteArray editorBytes(const QString& editorText, bool unicode);

class TextColumn : public MergeColumn
{
public:
    // Lines as the editor cuts them: CR LF, LF and CR end a line, and line terminators plus one lines.
    TextColumn(const QString& snippet, const QString& text, bool unicode);

    QString snippet() const override { return m_snippet; }
    int lineCount() const override { return m_lines.size(); }
    QString lineText(int i) const override { return i >= 0 && i < m_lines.size() ? m_lines.at(i) : QString(); }
    void resetLineCursor() override { m_cursor = 0; }
    QString nextLine() override { return lineText(m_cursor++); }

private:
    QString m_snippet;
    QStringList m_lines;
    int m_cursor = 0;
};

// A column file read in place: mapped when it is a regular file, else (a pipe) read into memory. Its
// lines are those of a text file: CR LF, LF and lone CR end a line, and a break at the very end ends the
// last line rather than starting an empty one. Reading in line order keeps only the part being read in
// memory; other lines are found from a sparse index.
class FileColumn : public MergeColumn
{
public:
    FileColumn(const QString& snippet, bool unicode);
    ~FileColumn() override;
    FileColumn(const FileColumn&) = delete;
    FileColumn& operator=(const FileColumn&) = delete;

    // Opens and indexes path; on failure returns false with a message for the user in *error.
    bool open(const QString& path, QString* error);

    QString snippet() const override { return m_snippet; }
    int lineCount() const override { return m_lineCount; }
    QString lineText(int i) const override;
    void appendLineTo(int i, QString& out) const override;
    void resetLineCursor() override { m_cursor = 0; }
    QString nextLine() override { return lineText(m_cursor++); }

private:
    // Finds the bytes of line i (0 <= i < lineCount), without its break and cut at a NUL; notes
    // whether they are plain ASCII.
    void locate(int i, const char** bytes, int* length) const;
    enum class Decoding { Utf8, Latin1, Codec };
    // Offset of the byte after the line break that ends the line starting at offset.
    qint64 lineEnd(qint64 offset, qint64* textEnd) const;
    QString decode(const char* bytes, int length) const;
    void release(qint64 upTo) const;

    static constexpr int IndexStride = 64;

    QString m_snippet;
    bool m_unicode;
    const char* m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_start = 0; // after a byte-order mark
    bool m_mapped = false;
    QByteArray m_buffer; // the content of a file that cannot be mapped
    Decoding m_decoding = Decoding::Utf8;
    int m_lineCount = 0;
    QVector<qint64> m_index; // start of every IndexStride-th line
    int m_cursor = 0;
    // Where the last read ended, so that reading in order needs no search.
    mutable int m_nextLine = 0;
    mutable qint64 m_nextOffset = 0;
    mutable qint64 m_released = 0;
    // A column the template names more than once is asked for the same line again at once.
    mutable int m_lastLine = -1;
    mutable qint64 m_lastStart = 0;
    mutable int m_lastLength = 0;
    mutable bool m_lastAscii = true;
};
